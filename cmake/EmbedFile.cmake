# cmake -DIN=file -DOUT=file.cpp -DSYM=name -P EmbedFile.cmake
file(READ ${IN} _hex HEX)
file(SIZE ${IN} _size)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" _bytes "${_bytes}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\nextern const unsigned char ${SYM}[];\nextern const unsigned long ${SYM}_size;\nconst unsigned char ${SYM}[] = {\n${_bytes}0};\nconst unsigned long ${SYM}_size = ${_size};\n")
