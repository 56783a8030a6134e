' The demo job as a VBScript platform runs it: each request's reply, and each page of the paged
' exports, written as UTF-16 files into the output folder for comparison with the Linux host's.
' Arguments: connection string, folder of the UTF-16 requests, output folder.
Option Explicit
Dim fso, folder, out, login
Set fso = CreateObject("Scripting.FileSystemObject")
folder = WScript.Arguments(1)
out = WScript.Arguments(2)

Sub WriteText(path, text)
    Dim file
    Set file = fso.CreateTextFile(path, True, True)
    file.Write text
    file.Close
End Sub

Class PageFiles
    Public Prefix
    Public Sub ProcessExport(text, number, count)
        WriteText out & "\" & Prefix & "-page-" & number & "-of-" & count & ".xml", text
    End Sub
End Class

Set login = CreateObject("QzLogin.Login")
login.ConnectionString = WScript.Arguments(0)
login.LoginYear = "2026"
login.LoginMonth = 12

Sub Run(progId, name, paged)
    Dim server, pages
    Set server = CreateObject(progId)
    If paged Then
        Set pages = New PageFiles
        pages.Prefix = name
        server.AddObjectReference pages
    End If
    WriteText out & "\" & name & ".reply", server.Transact(fso.OpenTextFile(folder & "\" & name & ".xml", 1, False, -1).ReadAll(), login)
End Sub

Run "Wagelink.ISalaryItem", "add-salary-items", False
Run "Wagelink.ISalaryPerson", "add-salary-persons", False
Run "Wagelink.ISalaryItem", "query-salary-items", True
Run "Wagelink.ISalaryItem", "query-kest", False
Run "Wagelink.ISalaryPerson", "query-salary-persons", True
WScript.Echo "summary: demo job done"
