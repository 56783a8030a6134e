@echo off
rem Removes the registrations of Wagelink (@BITS@-bit): classes, ProgIDs, type libraries and
rem interfaces of every revision here, and our platform components. Only keys that name these
rem DLLs are removed: the platform's own components keep theirs.
setlocal
set REGSVR32=@REGSVR32@
if not exist "%REGSVR32%" set REGSVR32=%SystemRoot%\System32\regsvr32.exe
for %%d in (wagelink.dll wagelink-rev2.dll wagelink-rev1.dll wagelink-platform.dll) do (
    "%REGSVR32%" /u /s "%~dp0%%d"
)
echo Wagelink (@BITS@-bit) is unregistered.
exit /b 0
