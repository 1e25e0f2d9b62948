#!/usr/bin/env python3
"""Checks a built stub executable: a 32-bit GUI program that imports system DLLs only and
carries its manifest and version resource."""
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "advapi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "user32.dll", "gdi32.dll",
    "shell32.dll", "shlwapi.dll", "comctl32.dll", "comdlg32.dll", "version.dll", "msi.dll", "wininet.dll",
    "winhttp.dll", "urlmon.dll", "crypt32.dll", "ws2_32.dll", "iphlpapi.dll", "setupapi.dll", "ntdll.dll",
    "rpcrt4.dll", "userenv.dll", "bcrypt.dll",
}


def main(objdump, exe):
    failures = []
    headers = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    if "file format pei-i386" not in headers:
        failures.append("not a PE32 (i386) image")
    if not re.search(r"^Subsystem\s+00000002", headers, re.M):
        failures.append("not a Windows GUI subsystem image")
    dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", headers)}
    foreign = sorted(dlls - SYSTEM_DLLS)
    if foreign:
        failures.append("imports DLLs that are not part of Windows: " + ", ".join(foreign))

    data = open(exe, "rb").read()
    manifest_start = data.find(b"<assembly")
    manifest = data[manifest_start:data.find(b"</assembly>", manifest_start) + 11].decode("utf-8", "replace")
    wanted = {
        "administrator rights": 'level="requireAdministrator"',
        "DPI awareness": "<dpiAware",
        "Windows Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "Windows 7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
        "Windows 8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "Windows 8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
        "Windows 10": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
        "common controls 6": 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
    }
    for what, text in wanted.items():
        if text not in manifest:
            failures.append("manifest lacks " + what)
    for what in ("ProductName", "Ideagrove", "ProductVersion", "25.0.0"):
        if what.encode("utf-16-le") not in data:
            failures.append("version resource lacks " + what)

    for failure in failures:
        print(f"{exe}: {failure}")
    print(f"{len(wanted) + 5 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
