#!/usr/bin/env python3
"""Packs the portable exe and a short text into clipnook-<version>-<arch>.zip."""
import re, shutil, subprocess, sys, tempfile, zipfile, pathlib

exe, version_header, out_dir, arch = sys.argv[1:5]
strip = sys.argv[5] if len(sys.argv) > 5 else ""
version = re.search(r'#define CLIPNOOK_VERSION_TEXT "([^"]+)"', pathlib.Path(version_header).read_text()).group(1)
text = f"""Clipnook {version} ({arch})

A single portable program that shows what Windows programs put on the
clipboard or offer by drag and drop: every format, its bytes in a hex dump,
text, locale and bitmap viewers, and copies or exports of a selection.

Run clipnook.exe; no installation, no settings are stored.
Drop any object on its window, or press F5 to read the clipboard.
Extras > Shell integration adds "Clipnook" to the context menu of all files
(needs administrator rights). A file clipnook.log next to the exe turns on
a diagnostics log (clipnook.con opens a console instead).
"""
out = pathlib.Path(out_dir)
out.mkdir(parents=True, exist_ok=True)
target = out / f"clipnook-{version}-{arch}.zip"
with tempfile.TemporaryDirectory() as tmp:
    shipped = pathlib.Path(tmp) / "clipnook.exe"
    shutil.copyfile(exe, shipped)
    if strip:  # the build keeps its debug information; the package does not need it
        subprocess.run([strip, "--strip-debug", str(shipped)], check=True)
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as z:
        z.write(shipped, "clipnook.exe")
        z.writestr("README.txt", text.replace("\n", "\r\n"))
print(target)
