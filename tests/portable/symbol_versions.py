#!/usr/bin/env python3
"""Lists the versioned symbols each program needs (objdump -T) and the
libraries it names (objdump -p); fails on a glibc version newer than the
baseline and on anything of the shared C++ runtime, naming each.

    symbol_versions.py --objdump OBJDUMP --glibc 2.17 PROGRAM...
"""
import argparse
import os
import re
import subprocess
import sys

CXX_RUNTIME = re.compile(r"^(GLIBCXX|CXXABI|GCC)_")
SHARED_CXX = ("libstdc++.so", "libgcc_s.so")


def version_key(text):
    return tuple(int(part) for part in text.split("."))


def needs(objdump, program):
    """{(symbol, version)} of the dynamic symbols that program takes from others."""
    out = subprocess.run([objdump, "-T", program], check=True, capture_output=True,
                         text=True).stdout
    found = set()
    for line in out.splitlines():
        match = re.search(r"\*UND\*\s+\S+\s+\(?([A-Za-z_]+_[0-9.]+)\)?\s+(\S+)$", line)
        if match:
            found.add((match.group(2), match.group(1)))
    return found


def libraries(objdump, program):
    out = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                         text=True).stdout
    return re.findall(r"^\s*NEEDED\s+(\S+)$", out, re.MULTILINE)


def problems(objdump, program, baseline):
    found, shared_cxx = [], []
    for symbol, version in sorted(needs(objdump, program)):
        if version.startswith("GLIBC_") and version_key(version[6:]) > baseline:
            found.append("%s@%s is newer than GLIBC_%s" % (symbol, version,
                                                          ".".join(map(str, baseline))))
        elif CXX_RUNTIME.match(version):
            shared_cxx.append("%s@%s" % (symbol, version))
    if shared_cxx:
        found.append("%d symbols of the shared C++ runtime, as %s" % (len(shared_cxx),
                                                                      shared_cxx[0]))
    for library in libraries(objdump, program):
        if library.startswith(SHARED_CXX):
            found.append("names %s" % library)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", default="objdump")
    parser.add_argument("--glibc", default="2.17")
    parser.add_argument("programs", nargs="+")
    options = parser.parse_args()
    baseline = version_key(options.glibc)
    failed = False
    for program in options.programs:
        versions = sorted({v for _, v in needs(options.objdump, program)
                           if v.startswith("GLIBC_")}, key=lambda v: version_key(v[6:]))
        print("%s: %s; needs %s" % (os.path.basename(program), " ".join(versions),
                                    " ".join(libraries(options.objdump, program))))
        for problem in problems(options.objdump, program, baseline):
            print("  %s: %s" % (os.path.basename(program), problem))
            failed = True
    print("FAILED" if failed else "ok")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
