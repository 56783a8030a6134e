' Says which of the components Wagelink uses are its own and which are the platform's (a
' component the platform registered first keeps its registration, and serves in place of ours),
' then creates the registered classes by ProgID, as the platform does, and calls one method of
' each. With the argument /owners it only says whose the components are (register.cmd runs it so).
' Run it with the cscript of the platform's bitness (register.cmd says which).
Option Explicit
Dim shell, owners, component, server, path, file, progId
Set shell = CreateObject("WScript.Shell")
owners = Array( _
    Array("Wagelink.ISalaryItem", "@WAGELINK_CLSID_SALARY_ITEM@"), _
    Array("Wagelink.ISalaryPerson", "@WAGELINK_CLSID_SALARY_PERSON@"), _
    Array("the login class (QzLogin.Login)", "@WAGELINK_CLSID_LOGIN@"), _
    Array("the message resource", "@WAGELINK_CLSID_MESSAGE_RESOURCE@"), _
    Array("the integration kit", "@WAGELINK_CLSID_INTEGRATION_KIT@"), _
    Array("the row mapper", "@WAGELINK_CLSID_ROW_XML_MAPPER@"))
For Each component In owners
    path = ""
    On Error Resume Next
    path = shell.RegRead("HKCR\CLSID\" & component(1) & "\InprocServer32\")
    On Error GoTo 0
    file = LCase(Mid(path, InStrRev(path, "\") + 1))
    If path = "" Then
        WScript.Echo component(0) & ": not registered"
    ElseIf InStr(" wagelink.dll wagelink-rev2.dll wagelink-rev1.dll wagelink-platform.dll ", " " & file & " ") > 0 Then
        WScript.Echo component(0) & ": Wagelink's own (" & path & ")"
    Else
        WScript.Echo component(0) & ": the platform's own, kept (" & path & ")"
    End If
Next
If WScript.Arguments.Count > 0 Then WScript.Quit 0
For Each progId In Array("Wagelink.ISalaryItem", "Wagelink.ISalaryPerson")
    Set server = CreateObject(progId)
    WScript.Echo progId & " answers: GenLen(""abc"") = " & server.GenLen("abc")
Next
Set server = CreateObject("QzLogin.Login")
WScript.Echo "QzLogin.Login is registered."
