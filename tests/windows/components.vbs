' The server creates the platform's components through COM, by their class identifiers: with the
' platform DLL unregistered, an instance's first message fails and names the class it could not
' create. Prints "not ok - ..." for a failed check and a last line "summary: N passed, M failed".
Option Explicit
Dim item, text, passed, failed
passed = 0
failed = 0
Set item = CreateObject("Wagelink.ISalaryItem")
On Error Resume Next
text = item.GetResString("Qz.WA.EAI.00008")
If Err.Number <> 0 And InStr(Err.Description, "Class not registered") > 0 Then
    passed = passed + 1
Else
    failed = failed + 1
    WScript.Echo "not ok - a message without the platform DLL: " & Err.Number & " " & Err.Description & " " & text
End If
On Error GoTo 0
WScript.Echo "summary: " & passed & " passed, " & failed & " failed"
