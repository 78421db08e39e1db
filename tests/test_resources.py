"""The resources and the PE form of the shipped Install.exe, read from the file itself."""
import struct
import subprocess
import xml.etree.ElementTree as ET

import pefile
import pytest

import harness
import szdd

US_ENGLISH = 0x0409
RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24
STANDARD_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255)]


@pytest.fixture(scope="module")
def pe():
    return pefile.PE(str(harness.INSTALLER))


def resources(pe):
    """{(type, id): (language, bytes)} for every resource; type and id are ints or names."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        kind_key = str(kind.name) if kind.name else kind.id
        for item in kind.directory.entries:
            item_key = str(item.name) if item.name else item.id
            for language in item.directory.entries:
                data = pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
                assert (kind_key, item_key) not in found, "one language per resource"
                found[(kind_key, item_key)] = (language.id, data)
    return found


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name_or_ordinal(self):
        first = struct.unpack_from("<H", self.data, self.at)[0]
        if first == 0:
            self.at += 2
            return None
        if first == 0xFFFF:
            self.at += 2
            return self.take("H")
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def parse_dialogex(data):
    r = Reader(data)
    version, signature, help_id, ex_style, style, count, x, y, cx, cy = r.take("HHIIIHhhhh")
    assert (version, signature) == (1, 0xFFFF), "an extended dialog template"
    dialog = dict(help_id=help_id, ex_style=ex_style, style=style, rect=(x, y, cx, cy),
                  menu=r.name_or_ordinal(), cls=r.name_or_ordinal(), caption=r.text())
    dialog["font"] = (r.take("H"), r.take("H"), r.take("B"), r.take("B"), r.text())
    controls = []
    for _ in range(count):
        r.align()
        help_id, ex_style, style, x, y, cx, cy, ident = r.take("IIIhhhhi")
        cls = r.name_or_ordinal()
        cls = {0x80: "BUTTON", 0x82: "STATIC"}.get(cls, cls).upper() if cls else cls
        controls.append(dict(help_id=help_id, ex_style=ex_style, style=style, rect=(x, y, cx, cy), id=ident,
                             cls=cls, text=r.name_or_ordinal(), extra=r.take("H")))
    return dialog, controls


def test_dialog_template(pe):
    language, data = resources(pe)[(RT_DIALOG, 100)]
    dialog, controls = parse_dialogex(data)
    assert dialog == dict(help_id=0, ex_style=0, style=0x00C800C0, rect=(22, 17, 252, 226), menu=None, cls=None,
                          caption="Install QK Screensaver", font=(8, 0, 0, 0, "MS Sans Serif"))
    expected = [
        (200, "STATIC", 107, 0x50000003, (14, 9, 20, 20)),
        (-1, "STATIC", "QK Screensaver Install Version 0.1", 0x50020080, (49, 10, 115, 8)),
        (1, "BUTTON", "Install", 0x50030001, (27, 198, 32, 16)),
        (1001, "STATIC", "\n\n\n\n\n\nLoading Macomedia Flash (c) player...", 0x50020001, (27, 34, 200, 150)),
        (2, "BUTTON", "Cancel", 0x50030000, (193, 198, 32, 16)),
        (1002, "BUTTON", "Download Flash Player", 0x58010000, (65, 198, 84, 16)),
        (4, "BUTTON", "Retry", 0x58010000, (155, 198, 32, 16)),
        (1010, "STATIC", "www.morvell.com", 0x50020000, (50, 19, 94, 8)),
    ]
    actual = [(c["id"], c["cls"], c["text"], c["style"], c["rect"]) for c in controls]
    assert actual == expected
    assert all(c["help_id"] == 0 and c["ex_style"] == 0 and c["extra"] == 0 for c in controls)


def test_version_block(pe):
    fixed = pe.VS_FIXEDFILEINFO[0]
    assert (fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS) == \
        (0x10000, 0, 0x10000, 0)
    assert (fixed.FileFlagsMask, fixed.FileFlags, fixed.FileOS, fixed.FileType, fixed.FileSubtype) == \
        (0x3F, 0, 0x40004, 1, 0)
    assert (fixed.FileDateMS, fixed.FileDateLS) == (0, 0)
    string_tables = [t for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for t in info.StringTable]
    assert [t.LangID for t in string_tables] == [b"040904b0"]
    assert [(k.decode(), v.decode()) for k, v in string_tables[0].entries.items()] == [
        ("CompanyName", "Morvell"),
        ("FileDescription", "Install"),
        ("FileVersion", "0.1"),
        ("InternalName", "Install"),
        ("LegalCopyright", "Copyright \u00a9 2026 Morvell"),
        ("OriginalFilename", "Install.exe"),
        ("ProductName", "Install Screensaver"),
        ("ProductVersion", "0.1"),
    ]
    translations = [v.entry for info in pe.FileInfo[0] if info.Key == b"VarFileInfo" for v in info.Var]
    assert translations == [{b"Translation": "0x0409 0x04b0"}]


def test_manifest(pe):
    language, data = resources(pe)[(RT_MANIFEST, 1)]
    assert data.startswith(b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>')
    ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
    root = ET.fromstring(data)
    assert root.tag == "{urn:schemas-microsoft-com:asm.v1}assembly"
    assert root.attrib == {"manifestVersion": "1.0"}
    assert root.find("a:assemblyIdentity", ns).attrib == {
        "version": "1.0.0.0", "processorArchitecture": "X86", "name": "Morvell.QKScreensaver", "type": "win32"}
    assert root.find("a:description", ns).text == "Your app description here"
    dependencies = root.findall("a:dependency/a:dependentAssembly/a:assemblyIdentity", ns)
    assert [d.attrib for d in dependencies] == [{
        "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
        "processorArchitecture": "X86", "publicKeyToken": "6595b64144ccf1df", "language": "*"}]


def test_icon_is_one_32x32_16_colour_image_with_mask(pe):
    found = resources(pe)
    _, group = found[(RT_GROUP_ICON, 107)]
    reserved, kind, count = struct.unpack_from("<HHH", group)
    assert (reserved, kind, count) == (0, 1, 1)
    assert struct.unpack_from("<BBBBHHIH", group, 6) == (32, 32, 16, 0, 1, 4, 744, 1)
    assert [key for key in found if key[0] == RT_GROUP_ICON] == [(RT_GROUP_ICON, 107)]

    _, image = found[(RT_ICON, 1)]
    assert len(image) == 744
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", image)
    assert (size, width, height, planes, bits) == (40, 32, 64, 1, 4)
    palette = [tuple(image[40 + 4 * i:43 + 4 * i][::-1]) for i in range(16)]
    assert palette == STANDARD_PALETTE
    pixels, mask = image[104:104 + 512], image[616:744]

    def colour(x, y):  # rows are stored bottom-up
        byte = pixels[(31 - y) * 16 + x // 2]
        return STANDARD_PALETTE[byte >> 4 if x % 2 == 0 else byte & 15]

    def transparent(x, y):
        return mask[(31 - y) * 4 + x // 8] >> (7 - x % 8) & 1

    # A round face: clear corners, an opaque yellow face, grey lenses and a black frame.
    assert all(transparent(x, y) for x, y in [(0, 0), (31, 0), (0, 31), (31, 31)])
    assert not transparent(16, 16) and colour(16, 24) == (255, 255, 0)
    assert colour(10, 14) == (128, 128, 128) and colour(22, 14) == (128, 128, 128)
    assert colour(10, 8) == (0, 0, 0)


def test_payload_resource_is_the_saver_szdd_compressed(pe):
    language, data = resources(pe)[("QKDATA", 2000)]
    saver = harness.SAVER.read_bytes()
    assert szdd.header(data) == (ord("A"), 0, len(saver))
    assert szdd.decode(data) == saver
    expanded = subprocess.run(["msexpand"], input=data, capture_output=True, check=True).stdout
    assert expanded == saver
    assert pefile.PE(data=saver).FILE_HEADER.Machine == 0x14C


def test_every_resource_is_us_english(pe):
    assert {language for language, _ in resources(pe).values()} == {US_ENGLISH}


def test_pe32_gui_for_i386_needing_only_system_dlls(pe):
    assert pe.FILE_HEADER.Machine == 0x14C
    assert pe.OPTIONAL_HEADER.Magic == 0x10B
    assert pe.OPTIONAL_HEADER.Subsystem == 2
    imports = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    assert imports <= {"kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll"}
    # lz32.dll comes from the system directory at run time, never through the import table.
    assert "lz32.dll" not in imports
