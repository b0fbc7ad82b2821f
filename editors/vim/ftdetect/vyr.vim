" Vyr orders files: *.vyr, orders*.txt, and any file with "#VYR" (the header
" line) in its first five lines.
autocmd BufRead,BufNewFile *.vyr,orders*.txt setfiletype vyr
autocmd BufRead * if join(getline(1, 5)) =~? '#VYR' | setfiletype vyr | endif
