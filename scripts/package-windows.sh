#!/usr/bin/env bash
# Makes one zip per bitness from the DLLs of scripts/build-windows.sh (built first when missing):
# build-windows/package/wagelink-windows-x64.zip and wagelink-windows-x86.zip, each holding the
# DLLs (stripped), register.cmd, unregister.cmd, check.vbs and the administrator's guide
# README.txt, from packaging/windows/ with the bitness's regsvr32 and cscript written in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(Wagelink VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build-windows/package
rm -rf "$out" && mkdir -p "$out"
for arch in x86_64 i686; do
    [ -f "build-windows/$arch/wagelink.dll" ] || scripts/build-windows.sh "$arch"
    if [ "$arch" = x86_64 ]; then
        name=x64 bits=64 system='%SystemRoot%\System32' view='/reg:64'
    else
        # A 32-bit DLL on 64-bit Windows is registered by the 32-bit regsvr32 (register.cmd falls
        # back to System32 on 32-bit Windows, where that is the 32-bit one).
        name=x86 bits=32 system='%SystemRoot%\SysWOW64' view='/reg:32'
    fi
    stage=$out/wagelink-windows-$name
    mkdir -p "$stage"
    for dll in wagelink wagelink-rev2 wagelink-rev1 wagelink-platform; do
        "$arch-w64-mingw32-strip" -o "$stage/$dll.dll" "build-windows/$arch/$dll.dll"
    done
    dir=${system//\\/\\\\}  # backslashes doubled for sed's replacement text
    # @WAGELINK_...@ stands for that identity of src/wagelink_identities.h, a GUID braced.
    identities=$(sed -n 's/^#define \(WAGELINK_[A-Z0-9_]*\) \([0-9A-F]\{8\}-[0-9A-F-]*\)$/-e s|@\1@|{\2}|g/p' \
        src/wagelink_identities.h)
    for file in packaging/windows/*; do
        # Windows' own tools read these: CRLF line ends.
        sed -e "s|@BITS@|$bits|g" -e "s|@VERSION@|$version|g" \
            -e "s|@REGSVR32@|$dir\\\\regsvr32.exe|g" -e "s|@REGSVR32_NAME@|$dir\\\\regsvr32.exe|g" \
            -e "s|@CSCRIPT@|$dir\\\\cscript.exe|g" -e "s|@REG_VIEW@|$view|g" \
            $identities -e 's/\r*$/\r/' "$file" >"$stage/$(basename "$file")"
    done
    (cd "$out" && zip -q -r "wagelink-windows-$name.zip" "wagelink-windows-$name")
    echo "$out/wagelink-windows-$name.zip: $(du -h "$out/wagelink-windows-$name.zip" | cut -f1)"
done
