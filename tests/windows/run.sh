#!/usr/bin/env bash
# The Windows DLLs of one bitness (tests/windows/run.sh x86_64|i686) under Wine, called by clients
# we did not write: Windows Script Host running VBScript and JScript, and the system's COM.
# Needs the DLLs (scripts/build-windows.sh), the Linux host in build/ for reference replies, and
# the MariaDB server of WAGELINK_TEST_SERVER, which Wine's odbc32 reaches through unixODBC.
# Works in a fresh Wine prefix under build-windows/ARCH, stopped at the end.
set -euo pipefail
arch=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
dlls=$root/build-windows/$arch
work=$dlls/wine-test
: "${WAGELINK_TEST_SERVER:?names the MariaDB server the scripts use}"

case $arch in
x86_64) wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver64 bits=win64 ;;
i686) wine=/usr/lib/wine/wine wineserver=/usr/lib/wine/wineserver32 bits=win32 ;;
*) echo "usage: $0 x86_64|i686" >&2; exit 2 ;;
esac
# The 32-bit Wine is optional (scripts/setup.sh windows installs it where the archive can give
# it); WAGELINK_WITHOUT_I386=1 takes this path on a machine that has it.
if [ "$arch" = i686 ] && [ "${WAGELINK_WITHOUT_I386:-}" = 1 ]; then
    echo "== $arch: the Wine run is skipped: WAGELINK_WITHOUT_I386=1"
    exit 0
elif [ ! -x "$wine" ]; then
    echo "== $arch: the Wine run is skipped: this machine has no $wine (Debian's wine32:i386)"
    exit 0
fi
export WINEPREFIX=$dlls/wine-prefix WINEARCH=$bits WINEDEBUG=-all DISPLAY=
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers in a fresh prefix
trap '"$wineserver" -k 2>/dev/null || true' EXIT

# The 32-bit Wine reaches the server through 32-bit unixODBC and a 32-bit MariaDB driver, which
# Debian cannot install beside the 64-bit one: it is unpacked here and named in an odbcinst.ini
# of its own, which only the Wine processes read.
wine_env=()
if [ "$arch" = i686 ]; then
    driver=$dlls/odbc-driver/usr/lib/i386-linux-gnu/odbc/libmaodbc.so
    if [ ! -f "$driver" ]; then
        (cd "$dlls" && rm -f odbc-mariadb_*_i386.deb && apt-get download -qq odbc-mariadb:i386)
        dpkg-deb -x "$dlls"/odbc-mariadb_*_i386.deb "$dlls/odbc-driver"
    fi
    mkdir -p "$dlls/odbc-ini"
    printf '[MariaDB Unicode]\nDriver=%s\n' "$driver" >"$dlls/odbc-ini/odbcinst.ini"
    wine_env=(ODBCSYSINI="$dlls/odbc-ini")
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
zpath() { echo "Z:${1//\//\\}"; }
# An identity of src/wagelink_identities.h, a GUID braced: the one source the DLLs are built from.
id() { sed -n "s/^#define $1 \([0-9A-F-]*\)$/{\1}/p" "$root/src/wagelink_identities.h"; }
# The key's subtree as `reg query /s` lists it; nothing when there is no such key.
reg_query() {
    local listing
    listing=$("$wine" reg query "$1" /s 2>/dev/null | tr -d '\r' || true)
    grep -q '^HKEY_' <<<"$listing" && echo "$listing" || true
}
# Runs a script under cscript; its last line must be "summary: ..." (cscript exits 0 even when a
# script dies) and no check may have failed.
run_script() {
    local script=$1 output
    shift
    output=$(env "${wine_env[@]}" "$wine" cscript //nologo "$(zpath "$root/tests/windows/$script")" \
        "$@" 2>&1 | tr -d '\r' || true)
    echo "$output" | sed "s/^/  $script: /"
    echo "$output" | tail -1 | grep -Eq '^summary: ([0-9]+ passed, 0 failed|demo job done)$' ||
        fail "$script did not end with its summary line, or a check failed"
}

# A key that must be there, its listing holding `text`: read again for a while, as a fresh prefix
# may still be settling.
expect_key() {
    local key=$1 text=$2
    for _ in 1 2 3 4 5; do
        reg_query "$key" | grep -qF -- "$text" && return 0
        sleep 1
    done
    fail "$3"
}
echo "== $arch: the DLLs import nothing but system DLLs"
for dll in "$dlls"/*.dll; do
    for import in $("$arch-w64-mingw32-objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
        case $import in
        kernel32.dll | advapi32.dll | ole32.dll | oleaut32.dll | odbc32.dll | odbccp32.dll | msvcrt.dll) ;;
        *) fail "$(basename "$dll") imports $import" ;;
        esac
    done
done

echo "== $arch: a fresh Wine prefix, and regsvr32"
rm -rf "$WINEPREFIX" "$work"
mkdir -p "$work/requests" "$work/windows" "$work/linux"
"$wine" wineboot -i >/dev/null 2>&1
# Windows Script Host registers its own type library when it first runs: let it, before the
# registry's classes are taken as they were before we registered anything.
echo 'WScript.Echo("ready")' >"$work/ready.js"
"$wine" cscript //nologo "$(zpath "$work/ready.js")" >/dev/null 2>&1 || true
"$wine" reg export 'HKLM\Software\Classes' "$(zpath "$work/classes-before.reg")" /y >/dev/null 2>&1
# Every member of a class or component, as members.vbs takes them: "ProgID:Member,Member,...".
earlier_members="Transact,QueryProc,GenLen,GetResString,GetResStringArg,Lang,unLang"
current_members="AddObjectReference,DropObjectReference,Transact,QueryProc,GenLen,GetResString"
current_members+=",GetResStringArg,Lang,unLang"
platform_members=("QzLogin.Login:ConnectionString,LoginYear,LoginMonth"
    "Wagelink.XmlDocument:loadXML,selectNodes" "Wagelink.MessageResource:LoadMessage"
    "Wagelink.IntegrationKit:MakeReply,GetAttribute,GetFieldValue,AddResult,BeginReply"
    "Wagelink.RowXmlMapper:FillRecord")
# Each revision registered and unregistered in turn leaves the registry as it found it; while it
# is registered, a careless script calls every member of its classes, which must not end cscript.
"$wine" regsvr32 /s "$(zpath "$dlls/wagelink-platform.dll")" || fail "regsvr32 wagelink-platform.dll"
for dll in wagelink-rev1 wagelink-rev2; do
    "$wine" regsvr32 /s "$(zpath "$dlls/$dll.dll")" || fail "regsvr32 $dll.dll"
    expect_key 'HKCR\TypeLib\'"$(id WAGELINK_EARLIER_LIBID)" "\\0\\$bits" \
        "$dll.dll registers its type library"
    members=$earlier_members
    [ "$dll" = wagelink-rev2 ] || members="Transact,QueryProc"
    run_script members.vbs "Wagelink.ISalaryItem:$members" "Wagelink.ISalaryPerson:$members"
    "$wine" regsvr32 /u /s "$(zpath "$dlls/$dll.dll")" || fail "regsvr32 /u $dll.dll"
done
"$wine" regsvr32 /u /s "$(zpath "$dlls/wagelink-platform.dll")" || fail "regsvr32 /u wagelink-platform.dll"
# The registry's classes as they were before we registered anything, or a failure naming `what`.
expect_classes_as_before() {
    "$wine" reg export 'HKLM\Software\Classes' "$(zpath "$work/classes-now.reg")" /y >/dev/null 2>&1
    cmp -s "$work/classes-before.reg" "$work/classes-now.reg" ||
        fail "the registry's classes differ after $1 from before registration: $(diff \
            <(iconv -f UTF-16 -t UTF-8 "$work/classes-before.reg") \
            <(iconv -f UTF-16 -t UTF-8 "$work/classes-now.reg") | head -5)"
}
expect_classes_as_before "registering and unregistering the earlier revisions"
# A registration that fails half-way (a copy of the DLL without its type library) leaves nothing.
"$arch-w64-mingw32-objcopy" --remove-section .rsrc "$dlls/wagelink.dll" "$work/no-type-library.dll"
if "$wine" regsvr32 /s "$(zpath "$work/no-type-library.dll")"; then
    fail "a DLL without its type library registers"
fi
expect_classes_as_before "a registration that failed"
for dll in wagelink-platform wagelink; do
    "$wine" regsvr32 /s "$(zpath "$dlls/$dll.dll")" || fail "regsvr32 $dll.dll"
done
item_class='HKCR\CLSID\'"$(id WAGELINK_CLSID_SALARY_ITEM)"
expect_key "$item_class\\InprocServer32" "REG_SZ    $(zpath "$dlls/wagelink.dll")" \
    "InprocServer32 of Wagelink.ISalaryItem names the DLL"
expect_key "$item_class\\InprocServer32" 'ThreadingModel    REG_SZ    Apartment' \
    "ThreadingModel Apartment"
expect_key 'HKCR\Wagelink.ISalaryPerson\CLSID' "$(id WAGELINK_CLSID_SALARY_PERSON)" \
    "the ProgID of ISalaryPerson names its CLSID"
expect_key 'HKCR\TypeLib\'"$(id WAGELINK_LIBID)"'\1.1' "\\0\\$bits" \
    "the type library 1.1 is registered for $bits"
expect_key 'HKCR\Interface\'"$(id WAGELINK_IID_SALARY_ITEM)"'\TypeLib' \
    "$(id WAGELINK_LIBID)" "_ISalaryItem names its type library"

echo "== $arch: databases on the server"
port=$(sed -n 's/.*Port=\([0-9]*\).*/\1/p' <<<"$WAGELINK_TEST_SERVER")
export WAGELINK_REGISTRY=$work/registry
build/wagelink register >/dev/null
connection_of() { echo "$WAGELINK_TEST_SERVER;Database=wagelink_${arch}_$1"; }
for db in linux windows scripts platform; do
    mariadb --no-defaults -h 127.0.0.1 -P "$port" -u wagelink -pwagelink-test -e \
        "drop database if exists wagelink_${arch}_$db; create database wagelink_${arch}_$db character set utf8mb4"
    build/wagelink demo-db --connection "$(connection_of $db)" >/dev/null
done
for request in examples/*.xml; do
    iconv -f UTF-8 -t UTF-16 "$request" >"$work/requests/$(basename "$request")"
done
# Two item names for the text methods: GenLen of the first is 10 bytes in code page 936.
printf '应发合计ab\n应发合计' | iconv -f UTF-8 -t UTF-16 >"$work/requests/texts.txt"

echo "== $arch: the demo job through the Windows DLL and through the Linux library"
run_script demo.vbs "$(connection_of windows)" \
    "$(zpath "$work/requests")" "$(zpath "$work/windows")"
linux_run() {
    local progId=$1 name=$2
    shift 2
    build/wagelink transact "$progId" "examples/$name.xml" --connection "$(connection_of linux)" \
        --login-year 2026 --login-month 12 "$@" >"$work/linux/$name.reply" || [ $? -eq 4 ]
}
linux_run Wagelink.ISalaryItem add-salary-items
linux_run Wagelink.ISalaryPerson add-salary-persons
linux_run Wagelink.ISalaryItem query-salary-items --pages "$work/linux/query-salary-items"
linux_run Wagelink.ISalaryItem query-kest
linux_run Wagelink.ISalaryPerson query-salary-persons --pages "$work/linux/query-salary-persons"
# The replies and pages a Windows run wrote into `folder` are the Linux library's, byte for byte.
compare_with_linux() {
    local folder=$1 reply page pages=0
    for reply in "$work"/linux/*.reply; do
        cmp -s <(printf '%s' "$(cat "$reply")") \
            <(iconv -f UTF-16 -t UTF-8 "$folder/$(basename "$reply")" 2>/dev/null) ||
            fail "the reply to $(basename "$reply") in $folder differs from the Linux library's"
    done
    for page in "$work"/linux/*/page-*.xml; do
        local export_name windows_page
        export_name=$(basename "$(dirname "$page")")
        windows_page="$folder/$export_name-$(basename "$page")"
        cmp -s <(printf '%s' "$(cat "$page")") <(iconv -f UTF-16 -t UTF-8 "$windows_page" 2>/dev/null) ||
            fail "page $(basename "$page") of $export_name in $folder differs from the Linux library's"
        pages=$((pages + 1))
    done
    [ "$pages" -ge 4 ] || fail "the paged exports gave $pages pages"
    [ "$(ls "$folder"/*-page-*.xml | wc -l)" -eq "$pages" ] || fail "the run in $folder gave other pages"
    echo "  compared $(ls "$work"/linux/*.reply | wc -l) replies and $pages pages"
}
compare_with_linux "$work/windows"

echo "== $arch: VBScript and JScript"
export WAGELINK_LANG=en-US WAGELINK_CODEPAGE=936
run_script classes.vbs "$(connection_of scripts)" "$(zpath "$work/requests")"
run_script classes.js "$(connection_of scripts)" "$(zpath "$work/requests")"
unset WAGELINK_LANG WAGELINK_CODEPAGE
echo "== $arch: a fault of the platform DLL's class keeps its words across COM"
export WAGELINK_LANG=fr-FR
run_script first_message.vbs 5 "WAGELINK_LANG may name zh-CN (the default) or en-US"
unset WAGELINK_LANG
echo "== $arch: every member of every class and component, called carelessly"
run_script members.vbs "Wagelink.ISalaryItem:$current_members,QueryProcKest" \
    "Wagelink.ISalaryPerson:$current_members" "${platform_members[@]}"

echo "== $arch: interfaces, slots, type libraries and DISPIDs from C++ (system code page 936)"
output=$(LC_ALL=zh_CN.UTF-8 env "${wine_env[@]}" "$wine" "$dlls/wagelink-probe.exe" "$(zpath "$dlls")" \
    "$(connection_of scripts)" 2>&1 | tr -d '\r' || true)
echo "$output" | sed 's/^/  wagelink-probe: /'
echo "$output" | tail -1 | grep -Eq '^summary: [0-9]+ passed, 0 failed$' || fail "wagelink-probe"

echo "== $arch: the DOM's tests of the Linux build, on the system's MSXML"
output=$("$wine" "$dlls/wagelink-xml-tests.exe" 2>&1 | tr -d '\r') || fail "wagelink-xml-tests"
echo "$output" | grep -E '^\[  (PASSED|FAILED) ' | sed 's/^/  wagelink-xml-tests: /'
echo "$output" | grep -Eq '^\[  PASSED  \] [0-9]+ tests?\.$' || fail "wagelink-xml-tests"

echo "== $arch: the platform's components come from the registry"
"$wine" regsvr32 /u /s "$(zpath "$dlls/wagelink-platform.dll")" || fail "regsvr32 /u wagelink-platform.dll"
run_script first_message.vbs 0 "Class not registered"
"$wine" regsvr32 /s "$(zpath "$dlls/wagelink-platform.dll")" || fail "regsvr32 wagelink-platform.dll"

echo "== $arch: regsvr32 /u leaves nothing of ours"
for dll in wagelink wagelink-platform; do
    "$wine" regsvr32 /u /s "$(zpath "$dlls/$dll.dll")" || fail "regsvr32 /u $dll.dll"
done
expect_nothing_left() {
    for key in "$item_class" 'HKCR\CLSID\'"$(id WAGELINK_CLSID_SALARY_PERSON)" \
        'HKCR\Wagelink.ISalaryItem' 'HKCR\Wagelink.ISalaryPerson' 'HKCR\QzLogin.Login' \
        'HKCR\Wagelink.MessageResource' 'HKCR\CLSID\'"$(id WAGELINK_CLSID_MESSAGE_RESOURCE)" \
        'HKCR\Wagelink.IntegrationKit' 'HKCR\CLSID\'"$(id WAGELINK_CLSID_INTEGRATION_KIT)" \
        'HKCR\Wagelink.RowXmlMapper' 'HKCR\CLSID\'"$(id WAGELINK_CLSID_ROW_XML_MAPPER)" \
        'HKCR\TypeLib\'"$(id WAGELINK_LIBID)" \
        'HKCR\TypeLib\'"$(id WAGELINK_PLATFORM_LIBID)" \
        'HKCR\Interface\'"$(id WAGELINK_IID_SALARY_ITEM)" \
        'HKCR\Interface\'"$(id WAGELINK_IID_SALARY_ITEM_EARLIER)" \
        'HKCR\Interface\'"$(id WAGELINK_IID_SALARY_PERSON)"; do
        [ -z "$(reg_query "$key")" ] || fail "$key is left after $1"
    done
}
expect_nothing_left "regsvr32 /u"
expect_classes_as_before "regsvr32 /u"

echo "== $arch: the package: register.cmd, check.vbs, unregister.cmd"
package=$root/build-windows/package/wagelink-windows-$([ "$arch" = x86_64 ] && echo x64 || echo x86)
if [ -f "$package/register.cmd" ]; then
    "$wine" cmd /c "$(zpath "$package/register.cmd")" | tr -d '\r' | sed 's/^/  register.cmd: /'
    output=$("$wine" cscript //nologo "$(zpath "$package/check.vbs")" 2>&1 | tr -d '\r' || true)
    echo "$output" | sed 's/^/  check.vbs: /'
    [ "$(grep -c 'answers: GenLen("abc") = 3$' <<<"$output")" -eq 2 ] ||
        fail "check.vbs finds both classes registered by register.cmd"
    "$wine" cmd /c "$(zpath "$package/unregister.cmd")" | tr -d '\r' | sed 's/^/  unregister.cmd: /'
    expect_nothing_left "unregister.cmd"
else
    fail "no package in $package (scripts/package-windows.sh)"
fi

echo "== $arch: the package beside a platform that registered its own components first"
# The platform's row mapper, login class, message resource and kit at the identifiers ours use,
# served by a DLL file of its own (a copy of ours, so that the demo job gives the same replies).
mkdir -p "$work/platform" "$work/platform-run"
cp "$dlls/wagelink-platform.dll" "$work/platform/qzplatform.dll"
platform_keys=()
for clsid in "$(id WAGELINK_CLSID_ROW_XML_MAPPER)" "$(id WAGELINK_CLSID_LOGIN)" \
    "$(id WAGELINK_CLSID_MESSAGE_RESOURCE)" "$(id WAGELINK_CLSID_INTEGRATION_KIT)"; do
    "$wine" reg add "HKCR\\CLSID\\$clsid" /ve /d "A platform component" /f >/dev/null
    "$wine" reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "$(zpath "$work/platform/qzplatform.dll")" \
        /f >/dev/null
    "$wine" reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null
    platform_keys+=("HKCR\\CLSID\\$clsid")
done
"$wine" reg add 'HKCR\QzLogin.Login\CLSID' /ve /d "$(id WAGELINK_CLSID_LOGIN)" /f >/dev/null
platform_keys+=('HKCR\QzLogin.Login')
# Each of the platform's keys exported, to compare byte for byte with what it was.
export_platform() {
    local i
    for i in "${!platform_keys[@]}"; do
        "$wine" reg export "${platform_keys[$i]}" "$(zpath "$work/platform/$1-$i.reg")" /y >/dev/null 2>&1 ||
            fail "the platform's key ${platform_keys[$i]} is gone ($1)"
    done
}
expect_platform_kept() {
    local i
    export_platform "$1"
    for i in "${!platform_keys[@]}"; do
        cmp -s "$work/platform/before-$i.reg" "$work/platform/$1-$i.reg" ||
            fail "the platform's key ${platform_keys[$i]} changed: $1"
    done
}
export_platform before
if [ -f "$package/register.cmd" ]; then
    output=$("$wine" cmd /c "$(zpath "$package/register.cmd")" | tr -d '\r')
    echo "$output" | sed 's/^/  register.cmd: /'
    grep -q "^the row mapper: the platform's own, kept" <<<"$output" &&
        grep -q "^Wagelink.ISalaryItem: Wagelink's own" <<<"$output" ||
        fail "register.cmd says whose each component is"
    expect_platform_kept "after register.cmd"
    run_script demo.vbs "$(connection_of platform)" "$(zpath "$work/requests")" \
        "$(zpath "$work/platform-run")"
    compare_with_linux "$work/platform-run"
    "$wine" cmd /c "$(zpath "$package/unregister.cmd")" | tr -d '\r' | sed 's/^/  unregister.cmd: /'
    expect_platform_kept "after unregister.cmd"
    for key in "${platform_keys[@]}"; do "$wine" reg delete "$key" /f >/dev/null 2>&1; done
    expect_classes_as_before "register.cmd and unregister.cmd beside the platform"
fi

if ((failures)); then
    echo "== $arch: $failures Windows checks failed"
    exit 1
fi
echo "== $arch: every Windows check passed"
