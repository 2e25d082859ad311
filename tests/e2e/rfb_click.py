#!/usr/bin/env python3
"""Left click at X Y through a VNC server (RFB 3.8, no authentication): how the Wayland test
gives a headless compositor pointer input. Usage: rfb_click.py HOST PORT X Y"""
import socket
import struct
import sys
import time


def main():
    host, port, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    with socket.create_connection((host, port), timeout=10) as sock:
        stream = sock.makefile("rb")

        def read(count):
            data = stream.read(count)
            if len(data) != count:
                sys.exit("rfb_click: the server closed the connection")
            return data

        read(12)  # the server's version
        sock.sendall(b"RFB 003.008\n")
        if 1 not in read(read(1)[0]):
            sys.exit("rfb_click: the server wants authentication")
        sock.sendall(b"\x01")
        if struct.unpack(">I", read(4))[0] != 0:
            sys.exit("rfb_click: the server refused the session")
        sock.sendall(b"\x01")  # shared session
        read(20)  # size and pixel format
        read(struct.unpack(">I", read(4))[0])  # the desktop's name
        for buttons in (0, 1, 0):  # move there, press, release
            sock.sendall(struct.pack(">BBHH", 5, buttons, x, y))
            time.sleep(0.2)


if __name__ == "__main__":
    main()
