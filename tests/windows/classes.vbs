' The server's classes as a VBScript platform calls them: by ProgID and by name.
' Arguments: connection string, folder of the UTF-16 request files.
' Prints "not ok - ..." for each failed check and a last line "summary: N passed, M failed".
Option Explicit
Dim passed, failed
passed = 0
failed = 0
Sub Check(ok, what)
    If ok Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "not ok - " & what
    End If
End Sub

Dim fso, folder, connection
Set fso = CreateObject("Scripting.FileSystemObject")
connection = WScript.Arguments(0)
folder = WScript.Arguments(1)
Function ReadText(name)
    ReadText = fso.OpenTextFile(folder & "\" & name, 1, False, -1).ReadAll()
End Function

' The platform's caller object: records the pages an export hands it.
Class PageSink
    Public Pages
    Public Numbers
    Private Sub Class_Initialize()
        Pages = 0
        Numbers = ""
    End Sub
    Public Sub ProcessExport(text, number, count)
        Pages = Pages + 1
        Numbers = Numbers & number & "/" & count & " "
        If Left(text, 1) <> "<" Then Numbers = Numbers & "(not XML) "
    End Sub
End Class

Function NewLogin(connectionString)
    Dim login
    Set login = CreateObject("QzLogin.Login")
    login.ConnectionString = connectionString
    login.LoginYear = "2026"
    login.LoginMonth = 12
    Set NewLogin = login
End Function

Dim item, person, login, reply, sink, other
Set item = CreateObject("Wagelink.ISalaryItem")
Set person = CreateObject("Wagelink.ISalaryPerson")
Check TypeName(item) <> "Nothing" And TypeName(person) <> "Nothing", "both classes are created by ProgID"
Set login = NewLogin(connection)

' An import: records written, one rejected on purpose by the demo request.
reply = item.Transact(ReadText("add-salary-items.xml"), login)
Check InStr(reply, "<reply docid=""DEMO-ADD-1"" proc=""ADD"">") = 1, "the import's reply: " & Left(reply, 80)
Check InStr(reply, "code=""0""") > 0 And InStr(reply, "code=""101""") > 0, "the import writes and rejects: " & reply
reply = person.Transact(ReadText("add-salary-persons.xml"), login)
Check InStr(reply, "<result ") > 0, "the person import answers per record: " & Left(reply, 80)

' A paged export hands its pages to the held caller, a VBScript object.
Set sink = New PageSink
Check item.DropObjectReference(Nothing) = True, "no caller held: DropObjectReference(Nothing) is true"
Check item.AddObjectReference(sink) = True, "AddObjectReference holds a VBScript object"
reply = item.Transact(ReadText("query-salary-items.xml"), login)
Check sink.Pages = 3 And sink.Numbers = "1/3 2/3 3/3 ", "three pages reach the VBScript caller: " & sink.Numbers
Set other = New PageSink
Check item.DropObjectReference(other) = False, "DropObjectReference of another object is false"
Check item.DropObjectReference(sink) = True, "DropObjectReference of the held object is true"
reply = item.Transact(ReadText("query-salary-items.xml"), login)
Check sink.Pages = 6, "the held caller stays held after DropObjectReference: " & sink.Pages

'' A condition list the platform made with MSXML, handed to QueryProc directly: the export reads
' it through IXMLDOMNodeList's members (length, item, xml). (Wine's VBScript creates MSXML only
' through WScript.CreateObject.)
Dim dom, list, text, kit, direct
Set dom = WScript.CreateObject("Msxml2.DOMDocument.3.0")
Dim request
request = "<vkinterface roottag=""salaryitem"" proc=""QUERY"" paginate=""0""><salaryitem><field name=""cGZGradeNum"" operation=""="" value=""002""/></salaryitem></vkinterface>"
Check dom.loadXML(request), "MSXML loads the conditions"
Set list = dom.selectNodes("vkinterface/salaryitem/field")
Check list.length = 1, "MSXML selects the condition"
Set direct = CreateObject("Wagelink.ISalaryItem")
reply = direct.Transact("<r proc=""ADD""/>", login)
text = request
Set kit = Nothing
direct.QueryProc list, text, "salaryitem", kit
Check InStr(text, "<salaryitem><salarygradeno>002</salarygradeno>") > 0, "QueryProc exports by an MSXML node list: " & Left(text, 120)

' A login the platform wrote as a VBScript class, its period as public variables or as a
' Property Get, in text or as numbers: a trial person import (which reads the period and writes
' nothing) answers as it does with the login class.
Class VariableLogin
    Public ConnectionString
    Public LoginYear
    Public LoginMonth
End Class
Class PropertyLogin
    Public ConnectionString
    Public Property Get LoginYear()
        LoginYear = 2026
    End Property
    Public Property Get LoginMonth()
        LoginMonth = "12"
    End Property
End Class
Dim trial, byVariables, byProperties
' The demo's third person, rejected by the import above, passes here and is enrolled in trial.
trial = Replace(Replace(ReadText("add-salary-persons.xml"), "proc=""ADD""", "proc=""ADD"" mode=""validate"""), _
    "<taxtoken>2</taxtoken>", "<taxtoken>1</taxtoken>")
Set byVariables = New VariableLogin
byVariables.ConnectionString = connection
byVariables.LoginYear = "2026"
byVariables.LoginMonth = 12
Set byProperties = New PropertyLogin
byProperties.ConnectionString = connection
reply = person.Transact(trial, login)
Check InStr(reply, "mode=""validate""") > 0 And InStr(reply, "code=""0""") > 0, "a trial person import: " & reply
Check person.Transact(trial, byVariables) = reply, "a VBScript class login with public variables: " & Left(person.Transact(trial, byVariables), 120)
Check person.Transact(trial, byProperties) = reply, "a VBScript class login with Property Get: " & Left(person.Transact(trial, byProperties), 120)

' A connection string that cannot be opened: the fault reply, not a failed call.
reply = item.Transact(ReadText("add-salary-items.xml"), NewLogin("Provider=MSDASQL;DSN=NoSuchSource"))
Check Left(reply, 13) = "<reply code=""" And InStr(reply, "message=") > 0, "a database that cannot be opened gives the fault reply: " & reply

' SQLite is not part of the Windows library; SQL Server strings go to the system's SQL Server driver
' (which Wine lacks: the fault names what it looked for).
reply = item.Transact(ReadText("add-salary-items.xml"), NewLogin("Provider=SQLite;Data Source=demo.db"))
Check InStr(reply, "not part of the Windows library") > 0, "Provider=SQLite is a fault that says so: " & reply
reply = item.Transact(ReadText("add-salary-items.xml"), NewLogin("Provider=SQLOLEDB;Data Source=127.0.0.1,1;Initial Catalog=x;User ID=u;Password=secret;Connect Timeout=2"))
Check Left(reply, 13) = "<reply code=""" And InStr(reply, "SQL Server") > 0 And InStr(reply, "secret") = 0, "a SQL Server string reaches the SQL Server driver, and without it gives the fault reply, no password: " & reply

' Texts (WAGELINK_LANG=en-US for this run, so that they compare here as ASCII).
Dim chinese, args
chinese = Split(ReadText("texts.txt"), vbLf)
Check item.GenLen("abc") = 3, "GenLen of ASCII"
Check item.GenLen(chinese(0)) = 10, "GenLen measures a Chinese name with two bytes a character: " & item.GenLen(chinese(0))
Check item.GetResString("Qz.WA.EAI.00008") = "Database operation error", "GetResString: " & item.GetResString("Qz.WA.EAI.00008")
Check item.GetResStringArg("Qz.WA.EAI.00010", "P1") = "Payroll [P1] does not exist!", "GetResStringArg with one argument"
Check item.GetResStringArg("Qz.WA.EAI.00010") = "Qz.WA.EAI.00010", "GetResStringArg without arguments returns the identifier"
Check person.GetResStringArg("Qz.WA.EAI.00015", "P1", "D2") = "Payroll [P1] has no department [D2]!", "GetResStringArg with two arguments"
Check item.Lang(chinese(1)) = "Gross pay total", "Lang: " & item.Lang(chinese(1))
Check item.unLang("gross pay total") = chinese(1), "unLang finds the built-in name"
Check item.Lang("not an item") = "not an item", "Lang leaves other texts"

' A failing method: its number and description in Err.
On Error Resume Next
Dim length
length = item.GenLen(String(40000, "a"))
Check Err.Number = 6, "GenLen over 32767 fails with Err.Number 6: " & Err.Number
Check Err.Description = "Overflow", "and Err.Description 'Overflow': " & Err.Description
Err.Clear
item.NoSuchMethod
Check Err.Number = 438, "an unknown method is error 438: " & Err.Number
Err.Clear
text = "" & item
Check Err.Number = 438, "an object turned into a value asks for a default member it has not: " & Err.Number
Err.Clear
On Error GoTo 0

WScript.Echo "summary: " & passed & " passed, " & failed & " failed"
