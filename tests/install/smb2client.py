#!/usr/bin/python3
"""A Windows PC's copy of the game, as the file server sees it: an SMB2 client of the record share.

    smb2client.py PORT USER PASSWORD STEP...

The steps run in order on one connection to 127.0.0.1:PORT, share "share"; each prints a line:
  lock      the record lock, as LockFileEx asks for it: one exclusive lock, failing at once, on
            sorvane.journal's byte 0x7FFFFFFFFFFFFFFE -> "lock STATUS"
  read F    a READ of the share's file F from its start -> "read F STATUS HEX-OF-THE-BYTES"
  hold      "held", then keeps the connection and its locks until its input ends; then lets the
            lock go -> "unlock STATUS"
STATUS is the server's NT status in hex: 0x00000000 granted, 0xc0000055 STATUS_LOCK_NOT_GRANTED.
"""
import sys

from impacket import smb3structs as smb2
from impacket.smb3 import SessionError
from impacket.smbconnection import SMBConnection

LOCK_BYTE = 0x7FFF_FFFF_FFFF_FFFE


def status(error):
    return "0x%08x" % (error.get_error_code() & 0xFFFFFFFF)


def main():
    port, user, password, *steps = sys.argv[1:]
    conn = SMBConnection("127.0.0.1", "127.0.0.1", sess_port=int(port),
                         preferredDialect=smb2.SMB2_DIALECT_30)
    conn.login(user, password)
    tree = conn.connectTree("share")
    server = conn.getSMBServer()
    sharing = smb2.FILE_SHARE_READ | smb2.FILE_SHARE_WRITE | smb2.FILE_SHARE_DELETE
    journal = conn.openFile(tree, "sorvane.journal",
                            desiredAccess=smb2.FILE_READ_DATA | smb2.FILE_WRITE_DATA,
                            shareMode=sharing)

    def lock(flags):
        # impacket's own lock() joins the elements as text, so the request is put together here.
        element = smb2.SMB2_LOCK_ELEMENT()
        element["Offset"] = LOCK_BYTE
        element["Length"] = 1
        element["Flags"] = flags
        request = smb2.SMB2Lock()
        request["FileID"] = journal
        request["LockCount"] = 1
        request["Locks"] = element.getData()
        packet = server.SMB_PACKET()
        packet["Command"] = smb2.SMB2_LOCK
        packet["TreeID"] = tree
        packet["Data"] = request
        try:
            server.recvSMB(server.sendSMB(packet)).isValidAnswer(0)
            return "0x00000000"
        except SessionError as e:
            return status(e)

    i = 0
    while i < len(steps):
        step = steps[i]
        if step == "lock":
            print("lock", lock(smb2.SMB2_LOCKFLAG_EXCLUSIVE_LOCK |
                               smb2.SMB2_LOCKFLAG_FAIL_IMMEDIATELY), flush=True)
        elif step == "read":
            i += 1
            name = steps[i]
            try:
                f = conn.openFile(tree, name, desiredAccess=smb2.FILE_READ_DATA,
                                  shareMode=sharing)
                data = server.read(tree, f, 0, 4096)
                conn.closeFile(tree, f)
                print("read", name, "0x00000000", data.hex(), flush=True)
            except SessionError as e:
                print("read", name, status(e), flush=True)
        elif step == "hold":
            print("held", flush=True)
            sys.stdin.read()
            print("unlock", lock(smb2.SMB2_LOCKFLAG_UNLOCK), flush=True)
        else:
            sys.exit("unknown step: " + step)
        i += 1
    conn.closeFile(tree, journal)
    conn.logoff()


main()
