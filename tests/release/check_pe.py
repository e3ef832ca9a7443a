#!/usr/bin/env python3
"""Release checks of the built Quillon.exe, read from its PE headers.

    check_pe.py --dlls DIR --source SRC --build ARCH EXE BARE [--build ...]

ARCH is i386 or amd64. EXE is the Quillon.exe of that build; BARE is the
bare_static.exe built beside it with the same toolchain and flags, whose
imports are what the static C and C++ runtimes bring in by themselves. DIR
holds the system DLLs (Wine's PE builds) whose export tables tell which
functions come in a narrow (A) and a wide (W) variant. SRC is the source
folder the executables were built from.

Checked for each build: a GUI executable for the architecture, stripped,
with the header's exploit mitigations (relocatable with relocations,
no-execute data, Terminal Server aware; no SEH on x86, high-entropy
addresses and SEH through .pdata on x64) and no section both writable and executable, the i386 one at most
220 KB, OS and subsystem version 6.0 (Vista) in the header, every import
one that Vista SP2 provides,
importing only system DLLs, nothing delay-loaded or by ordinal, and from
the Windows API DLLs the narrow variant of every function that has both,
except the wide functions that the bare program imports too. And, so that
one commit always gives the same Quillon.exe: a PE time stamp of 0, and
neither SRC nor the folder of EXE in its bytes, as narrow or wide text.

An i386 build whose executable does not exist is skipped with a message;
tools/test always builds it first. Prints "N passed, M failed" last and exits
non-zero on any failure.
"""
import argparse
import os
import struct
import sys

MACHINES = {"i386": (0x014C, 0x10B), "amd64": (0x8664, 0x20B)}
SUBSYSTEM_WINDOWS_GUI = 2
FILE_EXECUTABLE_IMAGE = 0x0002
FILE_32BIT_MACHINE = 0x0100
FILE_DLL = 0x2000
DIR_EXPORT, DIR_IMPORT, DIR_BASERELOC, DIR_DELAY_IMPORT = 0, 1, 5, 13
# The exploit mitigations Windows reads from the header: relocatable (with
# relocations to apply), no-execute data, Terminal Server aware; on x86 no SEH
# handlers (the bit means something only there: x64 lists its handlers in
# .pdata, and an x64 image must not claim to have none), on x64 the whole
# 64-bit address space for its randomisation.
DLLCHARACTERISTICS = {"DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100, "NO_SEH": 0x0400,
                      "TERMINAL_SERVER_AWARE": 0x8000, "HIGH_ENTROPY_VA": 0x0020}
# Per architecture: (bits it must carry, bits it must not).
HEADER_BITS = {"i386": (["DYNAMIC_BASE", "NX_COMPAT", "NO_SEH", "TERMINAL_SERVER_AWARE"], ["HIGH_ENTROPY_VA"]),
               "amd64": (["DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVER_AWARE", "HIGH_ENTROPY_VA"], ["NO_SEH"])}
SCN_MEM_EXECUTE, SCN_MEM_WRITE = 0x20000000, 0x80000000
# What users download stays small: 220 KB at most.
MAX_BYTES = {"i386": 225280}

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll"}
# The Windows API DLLs whose functions must be taken in their narrow form.
NARROW_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll"}

# The oldest Windows the program runs on, Vista (6.0), as the header states
# it: both the OS version and the subsystem version.
VISTA = (6, 0)
# Every function the executables may import, each one present in Windows
# Vista SP2: taken once from Microsoft's documentation of each function
# ("Minimum supported client": Windows 2000, XP or Vista; GetTickCount64 is
# the one that needs Vista). The x64 unwinding functions are the ones
# kernel32 has exported since the first x64 Windows. The msvcrt.dll entries
# are C runtime functions that the msvcrt.dll of Windows XP already exported
# (the CRT reference documents them), and the data and helpers of its
# start-up; Debian 13's mingw-w64 brings in a few more of them than
# Debian 12's. A function a new toolchain brings in that is not here fails
# release_pe by name: check its documentation before adding it.
VISTA_SP2 = {
    "advapi32.dll": "RegCloseKey RegEnumKeyExA RegOpenKeyExA RegQueryInfoKeyA RegQueryValueExA",
    "gdi32.dll": "CreateFontA CreateSolidBrush DeleteObject GetStockObject SelectObject SetBkColor SetDCBrushColor"
                 " SetTextColor",
    "kernel32.dll": "AddVectoredExceptionHandler AllocConsole CloseHandle CreateEventA CreateSemaphoreA"
                    " DeleteCriticalSection DuplicateHandle EnterCriticalSection FormatMessageA FreeLibrary"
                    " GetCurrentDirectoryA GetCurrentProcess GetCurrentProcessId GetCurrentThread GetCurrentThreadId"
                    " GetHandleInformation GetLastError GetModuleHandleA GetModuleHandleW GetProcAddress"
                    " GetProcessAffinityMask GetStartupInfoA GetSystemInfo GetSystemTimeAsFileTime GetThreadContext"
                    " GetThreadPriority GetTickCount GetTickCount64 InitializeCriticalSection IsDBCSLeadByteEx"
                    " IsDebuggerPresent LeaveCriticalSection LoadLibraryA LocalFree MultiByteToWideChar OpenProcess"
                    " OutputDebugStringA QueryPerformanceCounter QueryPerformanceFrequency RaiseException ReleaseSemaphore"
                    " RemoveVectoredExceptionHandler ResetEvent ResumeThread SetDllDirectoryA SetEvent SetLastError"
                    " SetProcessAffinityMask SetThreadContext SetThreadPriority SetUnhandledExceptionFilter Sleep"
                    " SuspendThread TerminateProcess TlsAlloc TlsGetValue TlsSetValue TryEnterCriticalSection"
                    " VirtualProtect VirtualQuery WaitForMultipleObjects WaitForSingleObject WideCharToMultiByte"
                    " lstrcpynA RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind"
                    " __C_specific_handler",
    "msvcrt.dll": "__getmainargs __initenv __mb_cur_max ___mb_cur_max_func ___lc_codepage_func __iob_func __p__acmdln"
                  " __p__commode __p__fmode __set_app_type __setusermatherr _acmdln _commode _fmode _access"
                  " _amsg_exit _beginthreadex _cexit _endthreadex _errno _filelengthi64 _fileno _initterm _iob"
                  " _ismbblead _lock _vscprintf _vsnprintf getenv strtoul"
                  " _onexit _setjmp _setjmp3 _strdup _ultoa _unlock abort atoi calloc exit fclose ferror fflush"
                  " fopen fprintf fputc fread free freopen fwrite localeconv longjmp malloc memchr memcmp memcpy"
                  " memmove memset printf realloc remove setlocale signal strchr strcmp strerror strlen strncmp"
                  " vfprintf wcslen",
    "shell32.dll": "ShellExecuteA",
    "user32.dll": "CallWindowProcA CreateDialogParamA DestroyWindow DispatchMessageA DrawTextA GetClientRect"
                  " GetDlgItem GetMessageA GetWindowLongA GetWindowLongPtrA GetWindowTextA IsDialogMessageA"
                  " LoadCursorA MessageBoxA PostQuitMessage SendMessageA SetCursor SetWindowLongA SetWindowLongPtrA"
                  " ShowWindow TrackMouseEvent TranslateMessage",
}
VISTA_SP2 = {dll: set(names.split()) for dll, names in VISTA_SP2.items()}

# One well-known pair per DLL: without them the export tables were misread.
KNOWN_PAIRS = [("kernel32.dll", "CreateFileW"), ("user32.dll", "MessageBoxW"), ("gdi32.dll", "CreateFontW"),
               ("advapi32.dll", "RegOpenKeyExW"), ("shell32.dll", "ShellExecuteW")]


class PeError(Exception):
    pass


class Pe:
    """The headers, sections, imports and exports of one PE file."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe,) = self.unpack("<I", 0x3C)
        if d[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        (self.machine, nsections, self.timestamp, self.symbol_table, self.symbol_count, opt_size,
         self.characteristics) = self.unpack("<HHIIIHH", pe + 4)
        opt = pe + 24
        (self.magic,) = self.unpack("<H", opt)
        if self.magic == 0x10B:
            dirs_at, count_at = opt + 96, opt + 92
        elif self.magic == 0x20B:
            dirs_at, count_at = opt + 112, opt + 108
        else:
            raise PeError("unknown optional header magic 0x%X" % self.magic)
        (self.subsystem, self.dll_characteristics) = self.unpack("<HH", opt + 68)
        os_version, subsystem_version = self.unpack("<HH", opt + 40), self.unpack("<HH", opt + 48)
        self.versions = (os_version, subsystem_version)
        (ndirs,) = self.unpack("<I", count_at)
        self.dirs = [self.unpack("<II", dirs_at + 8 * i) for i in range(min(ndirs, 16))]
        self.dirs += [(0, 0)] * (16 - len(self.dirs))
        self.sections, self.section_flags = [], []
        at = opt + opt_size
        for i in range(nsections):
            name, vsize, va, rawsize, raw = struct.unpack_from("<8sIIII", d, at + 40 * i)
            (flags,) = struct.unpack_from("<I", d, at + 40 * i + 36)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, rawsize), raw, rawsize))
            self.section_flags.append(flags)

    def unpack(self, fmt, at):
        if at < 0 or at + struct.calcsize(fmt) > len(self.data):
            raise PeError("truncated at 0x%X" % at)
        return struct.unpack_from(fmt, self.data, at)

    def offset(self, rva):
        for _, va, size, raw, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise PeError("RVA 0x%X has no file data" % rva)
                return raw + rva - va
        raise PeError("RVA 0x%X outside every section" % rva)

    def cstring(self, rva):
        at = self.offset(rva)
        end = self.data.find(b"\0", at)
        if end < 0:
            raise PeError("unterminated name at RVA 0x%X" % rva)
        return self.data[at:end].decode("latin-1")

    def imports(self):
        """{dll (lower case): [function name, or '#ordinal']}."""
        rva, size = self.dirs[DIR_IMPORT]
        result = {}
        if not rva:
            return result
        wide = self.magic == 0x20B
        entry_fmt, ordinal_flag = ("<Q", 1 << 63) if wide else ("<I", 1 << 31)
        at = self.offset(rva)
        while True:
            lookup, _, _, name_rva, thunks = self.unpack("<IIIII", at)
            if not (lookup or name_rva or thunks):
                break
            dll = self.cstring(name_rva).lower()
            names = result.setdefault(dll, [])
            table = self.offset(lookup or thunks)
            while True:
                (entry,) = self.unpack(entry_fmt, table)
                if not entry:
                    break
                if entry & ordinal_flag:
                    names.append("#%d" % (entry & 0xFFFF))
                else:
                    names.append(self.cstring((entry & 0x7FFFFFFF) + 2))  # past the hint
                table += struct.calcsize(entry_fmt)
            at += 20
        return result

    def exports(self):
        rva, _ = self.dirs[DIR_EXPORT]
        if not rva:
            return set()
        at = self.offset(rva)
        (count,) = self.unpack("<I", at + 24)  # NumberOfNames
        (names_rva,) = self.unpack("<I", at + 32)  # AddressOfNames
        names_at = self.offset(names_rva)
        return {self.cstring(self.unpack("<I", names_at + 4 * i)[0]) for i in range(count)}


class Report:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
            print("ok   - " + what)
        else:
            self.failed += 1
            print("FAIL - " + what + (": " + detail if detail else ""))
        return ok


def narrow_pairs(dll_dir, cache={}):
    """{dll: set of W names whose A name the DLL exports too}."""
    if not cache:
        for dll in NARROW_DLLS:
            names = Pe(os.path.join(dll_dir, dll)).exports()
            cache[dll] = {n for n in names if n.endswith("W") and n[:-1] + "A" in names}
    return cache


def wide_with_narrow(imports, pairs):
    """The imported W functions that have an A variant, as 'dll!name'."""
    return {dll + "!" + name for dll, names in imports.items() if dll in pairs for name in names if name in pairs[dll]}


def build_paths(exe, source):
    """The folders of the build machine that must not show in exe."""
    folders = [source, os.path.dirname(os.path.abspath(exe))]
    return list(dict.fromkeys(p for f in folders for p in (os.path.abspath(f), os.path.realpath(f))))


def check_build(report, arch, exe, bare, pairs, source):
    label = "%s %s" % (arch, exe)
    try:
        pe = Pe(exe)
        base = Pe(bare)
        imports, base_imports = pe.imports(), base.imports()
    except (OSError, PeError) as e:
        report.check(False, label + ": readable PE files", str(e))
        return

    machine, magic = MACHINES[arch]
    report.check(pe.machine == machine and pe.magic == magic, label + ": machine and header format",
                 "machine 0x%X, magic 0x%X" % (pe.machine, pe.magic))
    report.check(pe.subsystem == SUBSYSTEM_WINDOWS_GUI, label + ": Windows GUI subsystem",
                 "subsystem %d" % pe.subsystem)
    report.check(pe.versions == (VISTA, VISTA), label + ": OS and subsystem version %d.%d (Vista)" % VISTA,
                 "OS %d.%d, subsystem %d.%d" % (pe.versions[0] + pe.versions[1]))
    flags = FILE_EXECUTABLE_IMAGE | (FILE_32BIT_MACHINE if arch == "i386" else 0)
    report.check(pe.characteristics & flags == flags and not pe.characteristics & FILE_DLL,
                 label + ": an executable, not a DLL", "characteristics 0x%04X" % pe.characteristics)
    debug = [s[0] for s in pe.sections if s[0].startswith(".debug") or s[0].startswith("/")]
    report.check(not (pe.symbol_table or pe.symbol_count or debug), label + ": stripped",
                 "%d symbols, sections %s" % (pe.symbol_count, debug))

    wanted, unwanted = HEADER_BITS[arch]
    missing = [n for n in wanted if not pe.dll_characteristics & DLLCHARACTERISTICS[n]]
    extra = [n for n in unwanted if pe.dll_characteristics & DLLCHARACTERISTICS[n]]
    report.check(not missing and not extra, label + ": " + ", ".join(wanted) + "; not " + ", ".join(unwanted),
                 "DllCharacteristics 0x%04X%s%s" % (pe.dll_characteristics, " lacks " + ", ".join(missing) if missing else "",
                                                   " carries " + ", ".join(extra) if extra else ""))
    report.check(pe.dirs[DIR_BASERELOC][1] > 0, label + ": relocations to rebase it with")
    wx = [s[0] for s, f in zip(pe.sections, pe.section_flags) if f & SCN_MEM_EXECUTE and f & SCN_MEM_WRITE]
    report.check(not wx, label + ": no section both writable and executable", ", ".join(wx))

    report.check(pe.timestamp == 0, label + ": PE time stamp 0 (the same bytes from every build)",
                 "time stamp 0x%08X" % pe.timestamp)
    folders = build_paths(exe, source)
    leaked = [f for f in folders if f.encode() in pe.data or f.encode("utf-16-le") in pe.data]
    report.check(not leaked, label + ": no path of the build machine (%s)" % ", ".join(folders),
                 "found " + ", ".join(leaked))

    others = sorted(set(imports) - SYSTEM_DLLS)
    report.check(not others, label + ": imports only system DLLs", ", ".join(others))
    report.check(not pe.dirs[DIR_DELAY_IMPORT][0], label + ": nothing delay-loaded")
    by_ordinal = sorted(dll + "!" + n for dll, names in imports.items() for n in names if n.startswith("#"))
    report.check(not by_ordinal, label + ": every function imported by name", ", ".join(by_ordinal))

    newer = sorted(dll + "!" + n for dll, names in imports.items() if dll in VISTA_SP2 for n in names
                   if n not in VISTA_SP2[dll])
    report.check(not newer, label + ": every import in the list of what Vista SP2 provides",
                 "not in the list (newer than Vista?): " + ", ".join(newer))

    runtime = wide_with_narrow(base_imports, pairs)
    # The runtimes start up and do file and text work, nothing of a window:
    # a wide call beyond KERNEL32 here would be the bare program's own slip,
    # and would let the same call through in Quillon.exe.
    stray = sorted(n for n in runtime if not n.startswith("kernel32.dll!"))
    report.check(not stray, label + ": the bare program's wide functions all come from KERNEL32", ", ".join(stray))
    extra = sorted(wide_with_narrow(imports, pairs) - runtime)
    report.check(not extra, label + ": narrow API variants only (runtime's own: %s)" % (", ".join(sorted(runtime)) or "none"),
                 "wide functions the runtime does not bring: " + ", ".join(extra))

    size = os.path.getsize(exe)
    if arch in MAX_BYTES:
        report.check(size <= MAX_BYTES[arch], label + ": at most %d bytes" % MAX_BYTES[arch], "%d bytes" % size)
    print("     %s: %d bytes; imports %s" % (label, size, ", ".join(
        "%s %d" % (dll, len(names)) for dll, names in sorted(imports.items()))))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--dlls", required=True, help="folder of the system DLLs whose exports are read")
    parser.add_argument("--source", required=True, help="source folder, which must not show in the executables")
    parser.add_argument("--build", nargs=3, action="append", required=True, metavar=("ARCH", "EXE", "BARE"))
    args = parser.parse_args()

    report = Report()
    try:
        pairs = narrow_pairs(args.dlls)
    except (OSError, PeError) as e:
        pairs = None
        report.check(False, "export tables of the system DLLs in " + args.dlls, str(e))
    if pairs is not None:
        missing = [dll + "!" + name for dll, name in KNOWN_PAIRS if name not in pairs[dll]]
        report.check(not missing, "A/W pairs read from the system DLLs' exports (%s)" % ", ".join(
            "%s %d" % (d, len(p)) for d, p in sorted(pairs.items())), "not found: " + ", ".join(missing))
        for arch, exe, bare in args.build:
            if arch not in MACHINES:
                parser.error("unknown architecture " + arch)
            if arch == "i386" and not os.path.exists(exe):
                print("SKIP - %s: %s does not exist; build the win32 preset first (tools/test does)" % (arch, exe))
                continue
            check_build(report, arch, exe, bare, pairs, args.source)

    print("%d passed, %d failed" % (report.passed, report.failed))
    return 1 if report.failed else 0


if __name__ == "__main__":
    sys.exit(main())
