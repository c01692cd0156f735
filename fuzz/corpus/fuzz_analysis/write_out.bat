@REM   【Zelvanto テンポラリバッチ】通常モード
@echo off
SET PATH=C:\data;C:\jww;%PATH%
SET Rubylib=C:\data
copy JWC_TEMP.TXT "C:\data\JWC_TEMP.TXT" > nul
C:
cd "C:\data"
copy JWC_TEMP.TXT "C:\data\JWC_TEMP2.TXT" > nul
break
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
echo C:\data\円弧.bat ソ\C:\data\円弧.bat 表C:\data\円弧.bat
rem 変更しない行
rem 蜀�蠑ｧ utf-8 %1
rem -----------------------------------------------------
:VNK
copy JWC_TEMP.TXT "C:\jww\JWC_TEMP.TXT" > nul
C:
cd "C:\jww"
del "C:\data\JWC_TEMP.TXT"

