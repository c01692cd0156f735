@REM 円弧を表示 *
REM #jw
REM #h/D:\ソフト\外変\説明書き.txt
@ECHO OFF
 cls 
gawk -f 表示.awk %1
jgawk -f 表示.awk
go32 jgawk -f arc.awk
chrawk.bat JWC_TEMP.TXT
qzset.bat
Start /Wait notepad.exe 能\a.txt 
start /w calc.exe
echo %0 ソ\%0 表%0
rem 変更しない行
rem 蜀�蠑ｧ utf-8 %1
