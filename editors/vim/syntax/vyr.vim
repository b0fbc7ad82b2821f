" Vim syntax file for Vyr orders files: the header and end lines, comments,
" quoted fields, numbers and locations, the command of each order, and the
" check lines and summary that the checker writes. Which commands exist is
" game data (the command table), so every order's first word is coloured as
" a command; the language server marks the unknown ones.
if exists("b:current_syntax")
  finish
endif

syntax case ignore

syntax match vyrCommand /^\s*\%(@\s*\)\?\zs\a\w*/ contains=NONE
syntax match vyrMarker /^\s*\zs@/
syntax match vyrNumber /\<-\?\d\+\>/
syntax match vyrLocation /\<\d\+,\d\+\>/
syntax region vyrString start=/"/ end=/"/ oneline
syntax match vyrComment /;.*$/ contains=@Spell
" The header: the line that holds "#VYR"; the end line: first word "#END".
syntax match vyrHeader /^.*#VYR.*$/
syntax match vyrEnd /^\s*#END\%(\s.*\)\?$/
" A line the checker added: its first word begins with '#' and ends with '>'.
syntax match vyrCheckLine /^\s*#\S*>\%(\s.*\)\?$/ contains=vyrCheckError,vyrCheckWarning
syntax match vyrCheckError /\<ERROR:.*$/ contained
syntax match vyrCheckWarning /\<WARNING:.*$/ contained

highlight default link vyrCommand Statement
highlight default link vyrMarker Special
highlight default link vyrNumber Number
highlight default link vyrLocation Constant
highlight default link vyrString String
highlight default link vyrComment Comment
highlight default link vyrHeader PreProc
highlight default link vyrEnd PreProc
highlight default link vyrCheckLine Todo
highlight default link vyrCheckError Error
highlight default link vyrCheckWarning WarningMsg

let b:current_syntax = "vyr"
