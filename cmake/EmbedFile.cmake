file(READ "${IN}" content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${content}")
file(WRITE "${OUT}" "// Generated from ${IN}; do not edit.\n#include <string_view>\nnamespace wagelink::embedded {\nstatic const char k_${NAME}[] = {${bytes} '\\0'};\nstd::string_view ${NAME}() { return {k_${NAME}, sizeof(k_${NAME}) - 1}; }\n}\n")
