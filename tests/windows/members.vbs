' Calls every member of every registered class as a careless script would: with no arguments, too
' many, arguments of the wrong kinds, and each object turned into a value. Every call may fail,
' but none may end the process: the script must reach its summary. An object turned into a value
' has no default member to give (error 438).
' Arguments: the ProgIDs to try, each followed by its members, as "ProgID:Member,Member,...".
' Prints "not ok - ..." for each failed check and a last line "summary: N passed, M failed".
Option Explicit
Dim passed, failed, calls
passed = 0
failed = 0
calls = 0
Sub Check(ok, what)
    If ok Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "not ok - " & what
    End If
End Sub

' The argument lists every member is called with: the count wrong both ways and every kind of
' value where each kind is not meant.
Dim argumentLists
argumentLists = Array("", "1", """text""", "Null", "Nothing", "o", "Array(1, ""a"")", "Empty", _
    """<vkinterface roottag='salaryitem' proc='QUERY'/>"", o", "o, o", "1, 2, 3", "o, ""x"", o, o", _
    "Nothing, Nothing, Nothing, Nothing", "1, 2, 3, 4, 5, 6, 7, 8, 9", _
    "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12", "CDbl(1E+300), True, -1, CByte(7)")

Dim i, parts, o, member, arguments, r, text
For i = 0 To WScript.Arguments.Count - 1
    parts = Split(WScript.Arguments(i), ":")
    Set o = CreateObject(parts(0))
    For Each member In Split(parts(1), ",")
        For Each arguments In argumentLists
            On Error Resume Next
            Execute "r = o." & member & "(" & arguments & ")"
            Err.Clear
            Execute "o." & member & " " & arguments
            Err.Clear
            On Error GoTo 0
            calls = calls + 2
        Next
    Next
    On Error Resume Next
    text = "" & o
    Check Err.Number = 438, parts(0) & " turned into a value is error 438: " & Err.Number & " " & Err.Description
    Err.Clear
    On Error GoTo 0
    Set o = Nothing
Next
WScript.Echo calls & " calls made"
WScript.Echo "summary: " & passed & " passed, " & failed & " failed"
