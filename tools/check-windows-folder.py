#!/usr/bin/env python3
"""Checks Quarnel's deployable Windows folder.

Every DLL that a program or plugin in the folder imports must lie in the
folder's top level (where Windows looks first) or be a DLL of Windows itself;
and the folder holds nothing but the program, its help page, its two plugins
and DLLs that something in the folder imports.

Usage: check-windows-folder.py FOLDER   (reads imports with MinGW's objdump)
"""

import os
import subprocess
import sys

OBJDUMP = os.environ.get("OBJDUMP", "x86_64-w64-mingw32-objdump")

EXPECTED = {"quarnel.exe", "quarnelhelp.html", "readme.txt", "license.txt",
            "platforms/qwindows.dll", "styles/qwindowsvistastyle.dll"}

# DLLs every Windows 10 and later has in its system folder.
SYSTEM_DLLS = {
    "advapi32.dll", "authz.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "d3d11.dll",
    "d3d9.dll", "dnsapi.dll", "dwmapi.dll", "dxgi.dll", "gdi32.dll", "imm32.dll",
    "iphlpapi.dll", "kernel32.dll", "mpr.dll", "msvcrt.dll", "netapi32.dll", "ntdll.dll",
    "ole32.dll", "oleaut32.dll", "secur32.dll", "setupapi.dll", "shcore.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "userenv.dll", "uxtheme.dll", "version.dll", "winmm.dll",
    "winhttp.dll", "ws2_32.dll", "wtsapi32.dll",
}


def imports(path):
    dump = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True)
    return {line.split("DLL Name:", 1)[1].strip().lower()
            for line in dump.stdout.splitlines() if "DLL Name:" in line}


def is_system_dll(name):
    return name in SYSTEM_DLLS or name.startswith(("api-ms-win-", "ext-ms-win-"))


def main(folder):
    # Windows compares file names without regard to case: lower-cased name
    # -> the name on disk.
    paths = {}
    for directory, _, names in os.walk(folder):
        for name in names:
            path = os.path.relpath(os.path.join(directory, name), folder)
            paths[path.replace(os.sep, "/").lower()] = path
    files = set(paths)
    top_level = {name for name in files if "/" not in name}

    problems = []
    imported = set()
    for name in sorted(files):
        if name.endswith((".exe", ".dll")):
            for dll in sorted(imports(os.path.join(folder, paths[name]))):
                imported.add(dll)
                if dll not in top_level and not is_system_dll(dll):
                    problems.append(f"{name} imports {dll}, which is neither in the folder "
                                    "nor a Windows DLL")
    for name in sorted(files - EXPECTED):
        if name not in imported:
            problems.append(f"{name} does not belong in the folder")
    for name in sorted(EXPECTED - files):
        problems.append(f"{name} is missing")

    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    print(f"{folder}: {len(files)} files; every imported DLL is there or a Windows DLL")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
