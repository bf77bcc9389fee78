AAAB
CCDD
FFO
CCDDEEFFGG
zzzzzzzzzzzzzz
