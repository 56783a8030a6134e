' An instance's first message, where the platform's message resource cannot be made: the call
' fails with the fault the component's creation met, in its words, across COM.
' Arguments: the error number the call must fail with (0: any), and a text its description holds.
' Prints "not ok - ..." for a failed check and a last line "summary: N passed, M failed".
Option Explicit
Dim item, text, number, words, passed, failed
number = CLng(WScript.Arguments(0))
words = WScript.Arguments(1)
passed = 0
failed = 0
Set item = CreateObject("Wagelink.ISalaryItem")
On Error Resume Next
text = item.GetResString("Qz.WA.EAI.00008")
If Err.Number <> 0 And (number = 0 Or Err.Number = number) And InStr(Err.Description, words) > 0 Then
    passed = passed + 1
Else
    failed = failed + 1
    WScript.Echo "not ok - the first message fails with " & number & " """ & words & """: " & _
        Err.Number & " " & Err.Description & " " & text
End If
On Error GoTo 0
WScript.Echo "summary: " & passed & " passed, " & failed & " failed"
