# zlib for link codes (written next).
