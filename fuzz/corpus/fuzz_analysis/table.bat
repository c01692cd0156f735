REM 表計算
REM #jw
rem ソフト 表
