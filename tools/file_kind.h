// Recognising the files of an installation: a configuration database by its
// magic bytes "RS", a catalogue by the root element of its XML document.
#ifndef TOOLS_FILE_KIND_H_
#define TOOLS_FILE_KIND_H_

#include <sys/stat.h>

#include <fstream>
#include <string>

namespace zarvtool {

enum class FileKind {
    kUnknown,
    kDatabase,        // rs<RID>.dat
    kMetaProps,       // root "meta"
    kMetaTables,      // root "metatbl"
    kTypedObjs,       // root "typeobj"
    kDrvLib,          // root "driverlib"
    kPseudos,         // root "pseudos"
    kEmptyCatalogue,  // an XML declaration only: how every empty catalogue is saved
};

// The name used by --kind and in JSON ("database", "meta", ...; the root
// element's name for catalogues).
const char* KindTag(FileKind kind);
// What a person calls it ("meta property table", ...).
const char* KindTitle(FileKind kind);
// The kind of a --kind name; false for an unknown name.
bool KindFromTag(const std::string& tag, FileKind& kind);

struct FileProbe {
    bool readable = false;
    std::string error;  // why the file could not be read
    FileKind kind = FileKind::kUnknown;
    bool xml = false;          // looks like XML (first byte '<')
    bool well_formed = false;  // parsed as an XML document
    std::string xml_error;     // the parser's reason when not well-formed
    int xml_error_line = 0;    // where, when the parser knows (else 0)
    int xml_error_column = 0;
    std::string utf16;  // "UTF-16LE" or "UTF-16BE" for text in UTF-16
    std::string root;   // name of the first top-level element
};

// Reads the file and recognises it.
FileProbe ProbeFile(const std::string& path);

// "line L, column C: " of a probe's XML error; empty when it has no line.
std::string XmlErrorPlace(const FileProbe& probe);

// ProbeFile, then the kind: `forced` (a --kind name) when given, else the
// recognised one. False, with `why` set, when the file cannot be read or
// its kind cannot be told (exit status 2 for the commands).
bool ResolveKind(const std::string& path, const std::string& forced, FileProbe& probe,
                 std::string& why);

// Why a file of status `st` is nothing the tool can read, or null when it
// can: a regular file, or a pipe or FIFO when `streams` is set (read once
// to its end). A device such as /dev/zero never ends.
const char* NotReadable(const struct stat& st, bool streams);

// Opens the file for reading as ReadWholeFile reads it; `size` is its size
// (0 for a stream). False with `why` (the system's reason).
bool OpenInput(const std::string& path, std::ifstream& in, size_t& size, std::string& why);

// The whole file into `data`; false with `why` (the system's reason).
bool ReadWholeFile(const std::string& path, std::string& data, std::string& why);

// "UTF-16LE" or "UTF-16BE" when `data` starts like UTF-16 text (a byte-order
// mark, or two ASCII characters each with a zero byte beside it); null
// otherwise.
const char* Utf16Encoding(const std::string& data);
// Why UTF-16 text is refused, with a hint how to convert it.
std::string Utf16Refusal(const char* encoding);
// The length of a UTF-8 byte-order mark at the start of `data` (3 or 0).
size_t Utf8BomLength(const std::string& data);

}  // namespace zarvtool

#endif  // TOOLS_FILE_KIND_H_
