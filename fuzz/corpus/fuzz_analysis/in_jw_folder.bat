@REM   【Zelvanto テンポラリバッチ】通常モード
@echo off
rem ----------------------------------------------------
@REM 円弧を表示 *
REM #jw
REM #h/D:\SOFT~1\GAIHEN~1\SETUME~1.TXT
@ECHO OFF
 cls 
Jgawk -f 表示.awk %1
jgawk -f 表示.awk
jgawk -f arc.awk
call chrawk.bat JWC_TEMP.TXT
goto VNK

call call qzset.bat
Start /Wait notepad.exe 能\a.txt 
start /w calc.exe
echo c:\JWW\円弧.bat ソ\c:\JWW\円弧.bat 表c:\JWW\円弧.bat
rem 変更しない行
rem 蜀�蠑ｧ utf-8 %1
rem -----------------------------------------------------
:VNK

