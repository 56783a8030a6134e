' Run with WAGELINK_LANG naming a language without a catalog: the message resource, a class of
' the platform DLL, fails to make its object, and its words reach the caller across COM as the
' Linux library gives them. Prints "not ok - ..." for a failed check and a last line
' "summary: N passed, M failed".
Option Explicit
Dim item, text, passed, failed
passed = 0
failed = 0
Set item = CreateObject("Wagelink.ISalaryItem")
On Error Resume Next
text = item.GetResString("Qz.WA.EAI.00008")
If Err.Number = 5 And InStr(Err.Description, "WAGELINK_LANG may name zh-CN (the default) or en-US") > 0 Then
    passed = passed + 1
Else
    failed = failed + 1
    WScript.Echo "not ok - the message resource's fault keeps its words: " & Err.Number & " " & Err.Description
End If
On Error GoTo 0
WScript.Echo "summary: " & passed & " passed, " & failed & " failed"
