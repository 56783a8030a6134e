@echo off
rem Registers Wagelink (@BITS@-bit): the platform components, then the current server revision.
rem Run as administrator. To serve a platform of an earlier interface revision, register
rem wagelink-rev2.dll or wagelink-rev1.dll in place of wagelink.dll (they share the ProgIDs).
setlocal
set REGSVR32=@REGSVR32@
if not exist "%REGSVR32%" set REGSVR32=%SystemRoot%\System32\regsvr32.exe
"%REGSVR32%" /s "%~dp0wagelink-platform.dll"
if errorlevel 1 goto failed
"%REGSVR32%" /s "%~dp0wagelink.dll"
if errorlevel 1 goto failed
rem The cscript beside that regsvr32 runs scripts with the same bitness. A component the platform
rem registered first keeps its registration: check.vbs says whose each one is.
for %%f in ("%REGSVR32%") do set TOOLS=%%~dpf
echo Wagelink (@BITS@-bit) is registered beside what the platform registered:
"%TOOLS%cscript.exe" //nologo "%~dp0check.vbs" /owners
echo Check it with: "%TOOLS%cscript.exe" "%~dp0check.vbs"
exit /b 0
:failed
echo Registration failed (error %ERRORLEVEL%). Run this as administrator.
exit /b 1
