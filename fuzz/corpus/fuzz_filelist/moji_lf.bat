@REM •¶Žš‚Ì’uŠ·
REM #jw
ruby -rjwlib moji.rb
cscript //nologo a.vbs b.js
start /w gawk -f a.awk
