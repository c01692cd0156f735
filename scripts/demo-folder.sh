#!/usr/bin/env bash
# Lays out a demo under $1: a program folder with Varnik.exe, a Jw_cad
# folder and a folder of external-transformation batches, environment and
# layer files with Japanese titles. Text files are code page 932 with CR LF,
# as Jw_cad users keep them.
set -euo pipefail
demo="$1"
exe="$2"
mkdir -p "$demo/prog" "$demo/jww" "$demo/gaihen"
cp "$exe" "$demo/prog/Varnik.exe"

sjis() {  # file: UTF-8 text from stdin written as CP932 with CR LF ends
  sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$1"
}

sjis "$demo/gaihen/enko.bat" <<'T'
REM 円弧を等分割 *
REM #jw
REM #cd
jgawk -f enko.awk JWC_TEMP.TXT > JWC_TEMP.$$$
copy JWC_TEMP.$$$ JWC_TEMP.TXT
T
sjis "$demo/gaihen/moji.bat" <<'T'
@REM 文字の置換
REM #jw
REM :COMENT
REM 文字列を一括で置き換えます
ruby moji.rb
T
sjis "$demo/gaihen/sen.bat" <<'T'
rem 線の変換 *
rem #jww
gawk -f sen.awk JWC_TEMP.TXT
T
sjis "$demo/gaihen/plain.bat" <<'T'
@echo off
echo このバッチは外部変形ではありません
T
sjis "$demo/gaihen/hyoujun.jwf" <<'T'
標準設定（Ａ３横）
T
sjis "$demo/gaihen/layer.jwl" <<'T'
レイヤ名 建築平面
T
sjis "$demo/jww/JW_WIN.JWF" <<'T'
Jw_cad 環境設定
T
echo "$demo"
