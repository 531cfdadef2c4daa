#!/usr/bin/env python3
"""Checks of the built Vantrel.exe as a file, runnable on Linux (python3-pefile).

    check_vantrel_exe.py EXE VERSION AREA [--unstripped]

AREA is one of: header, imports, exports, icon, manifest, version.
--unstripped: the build type keeps symbols (not a release build).
--utf8: the file is the variant whose manifest asks for the UTF-8 code page.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
IMAGE_FILE_MACHINE_AMD64 = 0x8664

# DLLs that every Windows installation has; anything else (libstdc++-6.dll,
# libgcc_s_seh-1.dll, libwinpthread-1.dll ...) would have to ship alongside.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "msvcrt.dll", "ucrtbase.dll", "ntdll.dll"}

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Failure(Exception):
    pass


def expect(what, actual, expected):
    if actual != expected:
        raise Failure("%s: expected %r, got %r" % (what, expected, actual))
    print("ok   %s: %r" % (what, actual))


def resources(pe, type_id):
    """{resource id: data} of one resource type (first language of each)."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != type_id:
            continue
        for item in entry.directory.entries:
            data_entry = item.directory.entries[0].data.struct
            found[item.id] = pe.get_data(data_entry.OffsetToData, data_entry.Size)
    return found


STRIPPED = "--unstripped" not in sys.argv
UTF8_VARIANT = "--utf8" in sys.argv

ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SETTINGS_2019 = "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"


def check_header(pe, _version):
    expect("machine", hex(pe.FILE_HEADER.Machine), hex(IMAGE_FILE_MACHINE_AMD64))
    expect("subsystem (2 = GUI)", pe.OPTIONAL_HEADER.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI)
    expect("64-bit optional header", pe.OPTIONAL_HEADER.Magic, 0x20B)
    if STRIPPED:
        expect("symbol table (stripped)", pe.FILE_HEADER.NumberOfSymbols, 0)


def check_imports(pe, _version):
    names = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    foreign = [name for name in names
               if name not in SYSTEM_DLLS and not name.startswith("api-ms-win-")]
    print("     imports: %s" % ", ".join(names))
    expect("non-system DLLs imported", foreign, [])


def check_exports(pe, _version):
    exports = {symbol.name.decode(): symbol.address
               for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols}
    expect("exported names", sorted(exports),
           ["AmdPowerXpressRequestHighPerformance", "NvOptimusEnablement"])
    for name, rva in sorted(exports.items()):
        section = pe.get_section_by_rva(rva)
        expect(name + " in executable code", bool(section.Characteristics & 0x20000000),
               False)
        expect(name + " value", pe.get_dword_at_rva(rva), 1)


def icon_image_format(data):
    """("PNG", size, bits) or ("DIB", size, bits) from an RT_ICON resource."""
    if data.startswith(PNG_SIGNATURE):
        width, height, depth, colour_type = struct.unpack(">IIBB", data[16:26])
        expect("PNG square", width, height)
        bits = depth * {6: 4, 2: 3, 4: 2, 0: 1}.get(colour_type, 1)
        return ("PNG", width, bits)
    header_size, width, height, _planes, bits = struct.unpack("<IiiHH", data[:16])
    expect("DIB header size", header_size, 40)
    expect("DIB height (image and mask)", height, 2 * width)
    return ("DIB", width, bits)


def check_icon(pe, _version):
    groups = resources(pe, RT_GROUP_ICON)
    expect("icon groups", len(groups), 1)
    group = next(iter(groups.values()))
    _reserved, kind, count = struct.unpack("<HHH", group[:6])
    expect("group kind (1 = icon)", kind, 1)
    icons = resources(pe, RT_ICON)
    images = []
    for index in range(count):
        width, _height, _colours, _reserved, _planes, bits, _size, icon_id = struct.unpack(
            "<BBBBHHIH", group[6 + 14 * index:20 + 14 * index])
        image = icon_image_format(icons[icon_id])
        expect("group entry %d size" % index, width or 256, image[1])
        expect("group entry %d bits" % index, bits, image[2])
        images.append(image)
    expect("images", sorted(images, key=lambda image: image[1]),
           [("DIB", size, 32) for size in (16, 24, 32, 48, 64, 72, 96, 128)] +
           [("PNG", 256, 32)])


def check_manifest(pe, _version):
    manifests = resources(pe, RT_MANIFEST)
    expect("manifest resource ids", sorted(manifests), [1])
    root = ElementTree.fromstring(manifests[1])
    level = root.find(".//{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")
    expect("execution level", (level.get("level"), level.get("uiAccess")),
           ("asInvoker", "false"))
    ids = {element.get("Id") for element in
           root.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS")}
    expect("supported systems", sorted(ids), sorted(SUPPORTED_OS))
    settings = root.find(ASM_V3 + "application/" + ASM_V3 + "windowsSettings")
    if settings is None:
        raise Failure("no application/windowsSettings element")

    def setting(name):
        element = settings.find(name)
        return None if element is None else element.text

    for name, expected in [
            (SETTINGS_2005 + "dpiAware", "true/PM"),
            (SETTINGS_2016 + "dpiAwareness", "PerMonitorV2, PerMonitor"),
            (SETTINGS_2016 + "longPathAware", "true"),
            (SETTINGS_2019 + "activeCodePage", "UTF-8" if UTF8_VARIANT else None)]:
        expect(name.split("}")[1], setting(name), expected)
    controls = [identity.attrib for identity in
                root.iter("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
                if identity.get("name") == "Microsoft.Windows.Common-Controls"]
    expect("Common Controls dependency", [(c.get("version"), c.get("publicKeyToken"))
                                          for c in controls],
           [("6.0.0.0", "6595b64144ccf1df")])


def check_version(pe, version):
    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    expect("FileDescription", strings.get("FileDescription"), "Vantrel")
    expect("OriginalFilename", strings.get("OriginalFilename"), "Vantrel.exe")
    expect("ProductName", strings.get("ProductName"), "Vantrel Launcher")
    expect("FileVersion", strings.get("FileVersion"), version)
    expect("ProductVersion", strings.get("ProductVersion"), version)
    major, minor, patch = (int(part) for part in version.split("."))
    fixed = pe.VS_FIXEDFILEINFO[0]
    expect("fixed file version", (fixed.FileVersionMS, fixed.FileVersionLS),
           ((major << 16) | minor, patch << 16))
    expect("fixed product version", (fixed.ProductVersionMS, fixed.ProductVersionLS),
           ((major << 16) | minor, patch << 16))


AREAS = {name[len("check_"):]: function for name, function in globals().items()
         if name.startswith("check_")}


def main():
    arguments = [argument for argument in sys.argv[1:]
                 if argument not in ("--unstripped", "--utf8")]
    if len(arguments) != 3 or arguments[2] not in AREAS:
        sys.exit("usage: check_vantrel_exe.py EXE VERSION {%s} [--unstripped] [--utf8]"
                 % ",".join(sorted(AREAS)))
    path, version, area = arguments
    pe = pefile.PE(path)
    try:
        AREAS[area](pe, version)
    except Failure as failure:
        print("FAILED %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
