# Copies IN to OUT with every "@SUPPORT_HOST@" replaced by HOST.
file(READ "${IN}" text)
string(REPLACE "@SUPPORT_HOST@" "${HOST}" text "${text}")
file(WRITE "${OUT}" "${text}")
