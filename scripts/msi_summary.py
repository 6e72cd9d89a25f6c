#!/usr/bin/python3
"""Sets what wixl and msibuild make anew on every build in a package's summary information, so
that the same files make the same package: its package code (the revision number), a name-based
UUID of NAME under the upgrade code, and its two times (created, last saved), the given Unix time.
Usage: msi_summary.py PACKAGE UPGRADE_CODE NAME UNIX_TIME"""
import struct
import sys
import uuid

import olefile

path, upgrade_code, name, unix_time = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
package_code = "{" + str(uuid.uuid5(uuid.UUID(upgrade_code), name)).upper() + "}"
STREAM, PID_REVNUMBER, VT_FILETIME = "\x05SummaryInformation", 9, 64

with olefile.OleFileIO(path, write_mode=True) as package:
    info = bytearray(package.openstream(STREAM).read())
    section = struct.unpack_from("<I", info, 44)[0]  # the one property set's offset
    for i in range(struct.unpack_from("<I", info, section + 4)[0]):
        pid, offset = struct.unpack_from("<II", info, section + 8 + 8 * i)
        at = section + offset
        kind = struct.unpack_from("<I", info, at)[0]
        if pid == PID_REVNUMBER:  # a string of 38 characters and its NUL
            info[at + 8:at + 8 + len(package_code)] = package_code.encode()
        elif kind == VT_FILETIME:  # 100 ns since 1601
            struct.pack_into("<Q", info, at + 4, (unix_time + 11644473600) * 10**7)
    package.write_stream(STREAM, bytes(info))
