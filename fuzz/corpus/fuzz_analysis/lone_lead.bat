REM a•
REM #jw
• abc def
