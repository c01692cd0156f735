@REM   【Zelvanto テンポラリバッチ】通常モード
@echo off
SET PATH=D:\ソフト\表;C:\jww;%PATH%
SET AWKPATH=D:\ソフト\表;C:\jww;%AWKPATH%
copy JWC_TEMP.TXT "D:\ソフト\表\JWC_TEMP.TXT" > nul
D:
cd "D:\ソフト\表"
rem ----------------------------------------------------
@REM 円弧を表示 *
REM #jw
REM #h/D:\SOFT~1\GAIHEN~1\SETUME~1.TXT
@ECHO OFF
 cls 
gawk -f 表示.awk %1
jgawk -f 表示.awk
go32 jgawk -f arc.awk
call chrawk.bat JWC_TEMP.TXT
goto VNK

call call qzset.bat
Start /Wait notepad.exe 能\a.txt 
start /w calc.exe
echo D:\ソフト\表\円弧.bat ソ\D:\ソフト\表\円弧.bat 表D:\ソフト\表\円弧.bat
rem 変更しない行
rem 蜀�蠑ｧ utf-8 %1
rem -----------------------------------------------------
:VNK
copy JWC_TEMP.TXT "C:\jww\JWC_TEMP.TXT" > nul
C:
cd "C:\jww"
del "D:\ソフト\表\JWC_TEMP.TXT"

