REM ‰~ŒÊ‚ð“™•ªŠ„ *
REM #jw
REM #cd
rem ”¼Œa‚ð“ü—Í
:COMENT
à–¾
:END
jgawk -f %AWKPATH%enko.awk JWC_TEMP.TXT > JWC_TEMP.$$$
copy JWC_TEMP.$$$ JWC_TEMP.TXT
chrawk.bat x
call sub.bat %0
