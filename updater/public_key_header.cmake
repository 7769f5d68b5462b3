# Writes the updater's key header from a minisign public key file, whose
# second line is the key itself.
#   cmake -DKEY_FILE=<minisign .pub> -DTEMPLATE=<header .in> -DHEADER=<out> -P public_key_header.cmake
file(STRINGS "${KEY_FILE}" lines)
list(GET lines 1 VORLUNE_UPDATE_PUBLIC_KEY)
configure_file("${TEMPLATE}" "${HEADER}" @ONLY)
