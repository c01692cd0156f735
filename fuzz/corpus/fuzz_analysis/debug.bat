@REM   【Zelvanto テンポラリバッチ】デバッグモード
echo on
SET PATH=C:\jww\sub;C:\jww;%PATH%
SET AWKPATH=C:\jww\sub;C:\jww;%AWKPATH%
copy JWC_TEMP.TXT 変形前.txt > nul
rem ----------------------------------------------------
@REM 円弧を表示 *
REM #jw
REM #h/D:\SOFT~1\GAIHEN~1\SETUME~1.TXT


gawk -f 表示.awk %1
gawk -f 表示.awk
gawk -f arc.awk
call chrawk.bat JWC_TEMP.TXT
goto VNK

call call qzset.bat
Callwin "notepad.exe 能\a.txt"
Callwin "calc.exe"
echo C:\jww\sub\円弧.bat ソ\C:\jww\sub\円弧.bat 表C:\jww\sub\円弧.bat
rem 変更しない行
rem 蜀�蠑ｧ utf-8 %1
rem -----------------------------------------------------
:VNK
"C:\Program Files\sakura\sakura.exe" "変形前.txt"
"C:\Program Files\sakura\sakura.exe" "JWC_TEMP.TXT"
"C:\Program Files\sakura\sakura.exe" "C:\jww\_VNKtemp.bat"
pause

