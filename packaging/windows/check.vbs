' Creates the registered classes by ProgID, as the platform does, and calls one method of each.
' Run it with the cscript of the platform's bitness (register.cmd says which).
Option Explicit
Dim progId, server
For Each progId In Array("Wagelink.ISalaryItem", "Wagelink.ISalaryPerson")
    Set server = CreateObject(progId)
    WScript.Echo progId & " answers: GenLen(""abc"") = " & server.GenLen("abc")
Next
Set server = CreateObject("QzLogin.Login")
WScript.Echo "QzLogin.Login is registered."
