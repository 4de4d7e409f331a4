#include "tools/file_kind.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/internal/db_file_format.h"
#include "host/zarvlib/markup.h"
#include "tools/input.h"

namespace zarvtool {

namespace {

struct KindRow {
    FileKind kind;
    const char* tag;
    const char* title;
};
constexpr KindRow kRows[] = {
    {FileKind::kDatabase, "database", "configuration database"},
    {FileKind::kMetaProps, "meta", "meta property table"},
    {FileKind::kMetaTables, "metatbl", "meta tables"},
    {FileKind::kTypedObjs, "typeobj", "typed object table"},
    {FileKind::kDrvLib, "driverlib", "driver library"},
    {FileKind::kPseudos, "pseudos", "pseudo definitions"},
    {FileKind::kEmptyCatalogue, "empty", "empty catalogue (XML declaration only)"},
};

// The library's own document rules tell well-formed XML, as every loader
// reads it.
void ProbeXml(const std::string& data, FileProbe& probe) {
    CMarkup doc;
    if (!doc.SetDoc(data.data(), data.size())) {
        probe.xml_error = doc.GetParseError().description;
        probe.xml_error_line = doc.GetParseError().line;
        probe.xml_error_column = doc.GetParseError().column;
        return;
    }
    probe.well_formed = true;
    // A lone declaration is how every empty catalogue is saved.
    if (!doc.FindElem()) {
        probe.kind = FileKind::kEmptyCatalogue;
        return;
    }
    probe.root = doc.GetTagName().str();
    KindFromTag(probe.root, probe.kind);
    if (probe.kind == FileKind::kDatabase || probe.kind == FileKind::kEmptyCatalogue)
        probe.kind = FileKind::kUnknown;  // no root element carries these names
}

}  // namespace

const char* KindTag(FileKind kind) {
    for (const KindRow& row : kRows)
        if (row.kind == kind) return row.tag;
    return "unknown";
}

const char* KindTitle(FileKind kind) {
    for (const KindRow& row : kRows)
        if (row.kind == kind) return row.title;
    return "unknown file";
}

bool KindFromTag(const std::string& tag, FileKind& kind) {
    for (const KindRow& row : kRows) {
        if (tag == row.tag) {
            kind = row.kind;
            return true;
        }
    }
    return false;
}

const char* NotReadable(const struct stat& st, bool streams) {
    if (S_ISREG(st.st_mode) || (streams && S_ISFIFO(st.st_mode))) return nullptr;
    if (S_ISDIR(st.st_mode)) return "is a directory";
    if (S_ISFIFO(st.st_mode)) return "is a FIFO, not a regular file";
    if (S_ISSOCK(st.st_mode)) return "is a socket, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "is a device, not a regular file";
    return "is not a regular file";
}

bool OpenInput(const std::string& given, std::ifstream& in, size_t& size, std::string& why) {
    const std::string& path = LoadPath(given);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (const char* not_readable = NotReadable(st, true)) {
        why = not_readable;
        return false;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        why = std::strerror(errno);
        return false;
    }
    size = S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0;
    return true;
}

bool ReadWholeFile(const std::string& given, std::string& data, std::string& why) {
    std::ifstream in;
    size_t size = 0;
    if (!OpenInput(given, in, size, why)) return false;
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) {
        why = "read error: " + std::string(std::strerror(errno));
        return false;
    }
    data = buf.str();
    return true;
}

const char* Utf16Encoding(const std::string& data) {
    if (data.size() < 2) return nullptr;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(data[i]); };
    if (byte(0) == 0xFF && byte(1) == 0xFE) return "UTF-16LE";
    if (byte(0) == 0xFE && byte(1) == 0xFF) return "UTF-16BE";
    // Without a mark: two ASCII characters, each with its zero byte.
    auto ascii = [&](size_t i) { return byte(i) >= 0x09 && byte(i) < 0x80; };
    if (data.size() < 4) return nullptr;
    if (ascii(0) && byte(1) == 0 && ascii(2) && byte(3) == 0) return "UTF-16LE";
    if (byte(0) == 0 && ascii(1) && byte(2) == 0 && ascii(3)) return "UTF-16BE";
    return nullptr;
}

std::string Utf16Refusal(const char* encoding) {
    return std::string("is ") + encoding +
           " text; files are read as UTF-8: convert it first (iconv -f UTF-16 -t UTF-8)";
}

size_t Utf8BomLength(const std::string& data) {
    return data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

FileProbe ProbeFile(const std::string& given) {
    const std::string& path = LoadPath(given);
    FileProbe probe;
    std::string data;
    // Nothing but a regular file is opened: the library loads only those,
    // and a FIFO would block the probe.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        probe.error = std::strerror(errno);
        return probe;
    }
    if (const char* not_readable = NotReadable(st, false)) {
        probe.error = not_readable;
        return probe;
    }
    // A database is told by its first two bytes; only XML is read whole.
    std::ifstream head(path, std::ios::binary);
    char magic[2] = {0, 0};
    if (head && head.read(magic, 2) && magic[0] == zarvdbfile::kMagic1 &&
        magic[1] == zarvdbfile::kMagic2) {
        probe.readable = true;
        probe.kind = FileKind::kDatabase;
        return probe;
    }
    if (!ReadWholeFile(path, data, probe.error)) return probe;
    probe.readable = true;
    if (const char* utf16 = Utf16Encoding(data)) {
        probe.utf16 = utf16;
        return probe;
    }
    size_t first = data.find_first_not_of(" \t\r\n", Utf8BomLength(data));
    if (first != std::string::npos && data[first] == '<') {
        probe.xml = true;
        ProbeXml(data, probe);
    }
    return probe;
}

std::string XmlErrorPlace(const FileProbe& probe) {
    if (probe.xml_error_line <= 0) return "";
    std::string out = "line " + std::to_string(probe.xml_error_line);
    if (probe.xml_error_column > 0) out += ", column " + std::to_string(probe.xml_error_column);
    return out + ": ";
}

bool ResolveKind(const std::string& path, const std::string& forced, FileProbe& probe,
                 std::string& why) {
    probe = ProbeFile(path);
    if (!probe.readable) {
        why = "cannot read: " + probe.error;
        return false;
    }
    if (!probe.utf16.empty()) {
        why = Utf16Refusal(probe.utf16.c_str());
        return false;
    }
    if (!forced.empty()) {
        if (!KindFromTag(forced, probe.kind)) {
            why = "unknown kind '" + forced + "'";
            return false;
        }
        return true;
    }
    if (probe.kind != FileKind::kUnknown) return true;
    if (!probe.xml) {
        why = "neither a configuration database (no \"RS\" at its start) nor an XML catalogue";
    } else if (!probe.well_formed) {
        why = "not well-formed XML (" + XmlErrorPlace(probe) + probe.xml_error +
              "), so its kind cannot be told; name it with --kind";
    } else {
        why = "unknown root element <" + probe.root +
              "> (expected meta, metatbl, typeobj, driverlib or pseudos); name the kind with "
              "--kind";
    }
    return false;
}

}  // namespace zarvtool
