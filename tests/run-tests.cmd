@echo off
rem Velum @PROJECT_VERSION@: runs the engine's tests of this pack on Windows, with nothing
rem installed. Each test program of each architecture runs in turn (x64\tests, x86\tests); each
rem writes a JUnit report to results\ARCH-PROGRAM.xml, and a frame check that fails on the screen
rem saves that screen to results\pictures\.
rem
rem   run-tests.cmd [FILTER]
rem
rem FILTER picks tests as GoogleTest's --gtest_filter does: Suite.Test names with * and ?,
rem several joined by ":", those after a "-" left out. Without it every test runs.
rem Exit code: 0 when every program passed, 1 when any failed.
setlocal EnableExtensions
set "PACK=%~dp0"
set "PACK=%PACK:~0,-1%"
set "RESULTS=%PACK%\results"
set "FILTER=%~1"
if not defined FILTER set "FILTER=*"
rem The tests read the themes and the other files they need from the pack, not from the build
rem machine's source tree, and save their pictures with the reports.
set "VELUM_TEST_DATA=%PACK%"
set "VELUM_TEST_PICTURES=%RESULTS%\pictures"
if exist "%RESULTS%" rmdir /s /q "%RESULTS%"
mkdir "%RESULTS%"
if exist "%RESULTS%" goto results_made
echo run-tests: cannot make %RESULTS%
exit /b 1
:results_made
rem x64 programs need a 64-bit Windows. A 32-bit cmd on one names the machine in
rem PROCESSOR_ARCHITEW6432; ARM64 Windows runs x64 programs too.
set "MACHINE=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "MACHINE=%PROCESSOR_ARCHITEW6432%"
set RAN=0
set FAILED=0
set SKIPPED=0
set "FAILED_NAMES="
echo run-tests: tests matching "%FILTER%", reports in %RESULTS%
for %%A in (x64 x86) do call :architecture %%A
echo.
if %FAILED% gtr 0 goto summary_failed
echo run-tests: passed: %RAN% programs run, none failed; %SKIPPED% skipped; reports in %RESULTS%
exit /b 0
:summary_failed
echo run-tests: FAILED: %RAN% programs run, %FAILED% failed:%FAILED_NAMES%; %SKIPPED% skipped; reports in %RESULTS%
exit /b 1

:architecture
set "RUNS_HERE=yes"
if /i "%1"=="x64" if /i not "%MACHINE%"=="AMD64" if /i not "%MACHINE%"=="ARM64" set "RUNS_HERE="
rem From inside the folder: Wine's cmd finds no file for a quoted wildcard path. No blocks in
rem parentheses around the loops: Wine's cmd runs a "for" in both branches of an "if ... else".
pushd "%PACK%\%1\tests"
if not defined RUNS_HERE goto skip_architecture
for %%P in (*.exe) do call :program %1 "%%~fP"
popd
goto :eof
:skip_architecture
for %%P in (*.exe) do call :skip %1 "%%~nxP"
popd
goto :eof

:skip
echo run-tests: skipped %1\tests\%~2: this Windows is 32-bit (%MACHINE%) and runs no x64 program
set /a SKIPPED+=1
goto :eof

:program
echo.
echo run-tests: %1\tests\%~nx2
set /a RAN+=1
"%~2" "--gtest_filter=%FILTER%" "--gtest_output=xml:%RESULTS%\%1-%~n2.xml"
rem A crash ends a program with a negative code, which "if errorlevel 1" would not see.
if not "%ERRORLEVEL%"=="0" goto failed
if not exist "%RESULTS%\%1-%~n2.xml" goto failed
goto :eof
:failed
echo run-tests: %1\tests\%~nx2 failed
set /a FAILED+=1
set "FAILED_NAMES=%FAILED_NAMES% %1\%~n2"
goto :eof
