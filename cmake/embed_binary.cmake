# Turns a binary file into a C++ source defining a constant byte array.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -DHEADER=<header> -P embed_binary.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}"
"// Generated at build time from ${INPUT}; do not edit.\n"
"#include \"${HEADER}\"\n\n"
"const std::uint8_t ${SYMBOL}[${size}] = {\n    ${bytes}\n};\n")
