# Copies a text file into the distribution with Windows line ends.
#   cmake -DIN=source -DOUT=target -P dist_text.cmake
file(READ "${IN}" text)
string(REPLACE "\r" "" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
