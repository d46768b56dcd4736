#!/usr/bin/env python3
"""Lays Android's platform tools for Windows into the installation's adb folder.

Usage: platform_tools.py SOURCE DEST

SOURCE is a folder or a .zip (Google's platform-tools-latest-windows.zip as downloaded, whose
files sit in a "platform-tools" folder, or one with the files at its top) holding the three files
the program needs: adb.exe and the two USB libraries beside it, AdbWinApi.dll and
AdbWinUsbApi.dll. Each must be a Windows PE file (adb.exe a program, the two a DLL). They are
copied into DEST (dist/win32/adb), which the installer ships. Nothing is copied unless all three
are sound; the exit status is then 1 with one line saying why. An empty SOURCE lays out nothing
and says so in one line (exit status 0): such a build's installer ships no adb.
"""
import os
import shutil
import struct
import sys
import tempfile
import zipfile

FILES = (("adb.exe", False), ("AdbWinApi.dll", True), ("AdbWinUsbApi.dll", True))
IMAGE_FILE_DLL = 0x2000


def pe_problem(path, want_dll):
    """Why the file is not the PE file wanted, or None."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
    except OSError as e:
        return f"cannot be read ({e.strerror})"
    if len(head) < 0x40 or head[:2] != b"MZ":
        return "is not a Windows program or DLL (no MZ header)"
    (pe_offset,) = struct.unpack_from("<I", head, 0x3C)
    if pe_offset + 24 > len(head) or head[pe_offset:pe_offset + 4] != b"PE\0\0":
        return "is not a Windows program or DLL (no PE header)"
    (characteristics,) = struct.unpack_from("<H", head, pe_offset + 4 + 18)
    is_dll = bool(characteristics & IMAGE_FILE_DLL)
    if is_dll != want_dll:
        return "is a DLL, not a program" if is_dll else "is a program, not a DLL"
    return None


def find_files(folder):
    """The folder that holds the three files: the folder itself or its platform-tools folder."""
    for candidate in (folder, os.path.join(folder, "platform-tools")):
        if all(os.path.isfile(os.path.join(candidate, name)) for name, _ in FILES):
            return candidate
    return None


def lay_out(source, dest):
    with tempfile.TemporaryDirectory() as scratch:
        if os.path.isfile(source) and zipfile.is_zipfile(source):
            with zipfile.ZipFile(source) as z:
                names = {name for name, _ in FILES}
                for member in z.namelist():
                    # Only the three files, at the top or in platform-tools/: no other path
                    # from the archive reaches the disk.
                    top, _, name = member.rpartition("/")
                    if name not in names or top not in ("", "platform-tools"):
                        continue
                    os.makedirs(os.path.join(scratch, top), exist_ok=True)
                    with z.open(member) as src, open(os.path.join(scratch, top, name), "wb") as out:
                        shutil.copyfileobj(src, out)
            folder = scratch
        elif os.path.isdir(source):
            folder = source
        else:
            return f"{source} is neither a folder nor a zip archive"
        found = find_files(folder)
        if not found:
            missing = [name for name, _ in FILES
                       if not os.path.isfile(os.path.join(folder, name))
                       and not os.path.isfile(os.path.join(folder, "platform-tools", name))]
            return f"{source} lacks {', '.join(missing) or 'the three files in one folder'}"
        for name, want_dll in FILES:
            problem = pe_problem(os.path.join(found, name), want_dll)
            if problem:
                return f"{name} in {source} {problem}"
        os.makedirs(dest, exist_ok=True)
        for name, _ in FILES:
            shutil.copyfile(os.path.join(found, name), os.path.join(dest, name))
    return None


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    source, dest = sys.argv[1], sys.argv[2]
    if not source:
        print("VL_PLATFORM_TOOLS is not set: no adb in dist/win32/adb/ nor in the installer "
              "(the tests bring the fake adb)", file=sys.stderr)
        return 0
    problem = lay_out(source, dest)
    if problem:
        print(f"VL_PLATFORM_TOOLS: {problem}", file=sys.stderr)
        return 1
    print(f"platform tools from {source} laid out in {dest}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
