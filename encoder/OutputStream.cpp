#include "OutputStream.h"

#include "SanitizeName.h"

#include "include/Veltraenc.h"
#include "platform/DebugTrace.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>
#include <sys/stat.h>

namespace veltraenc
{

namespace
{

// Concatenates the parts into a buffer that the caller has checked is large enough.
void Join(char* buffer, std::initializer_list<const char*> parts)
{
    for (const char* part : parts) {
        const size_t length = std::strlen(part);
        std::memcpy(buffer, part, length);
        buffer += length;
    }
    *buffer = '\0';
}

} // namespace

OutputStream::OutputStream(const char* extension, const char* openMode)
{
    _extensionCapacity = std::max(kExtensionCapacity, std::strlen(extension));
    CopyCut(_extension, extension, _extensionCapacity);
    CopyCut(_openMode, openMode);
}

OutputStream::~OutputStream() = default;

int OutputStream::Init()
{
    return 1;
}

int OutputStream::SetIntOption(int option, int value)
{
    if (option != NO_WRITE) return 0;
    _writeSwitch = value == 0 ? 1 : 0;
    return 1;
}

int OutputStream::SetAsciiOption(int option, const char* text)
{
    switch (option) {
    case OUTPUT_DIR: {
        CopyCut(_outputDir, text);
        const size_t length = std::strlen(_outputDir.data());
        // The separator comes back when paths are composed; "/" alone becomes "" and so
        // still names the root, as "C:\" becomes "C:" on Windows.
        if (length > 0 && _outputDir[length - 1] == kSeparator) _outputDir[length - 1] = '\0';
        return 1;
    }
    case FILE_NAME:
        CopyCut(_fileName, text);
        SanitizeName(_fileName.data(), CharTable::Name);
        return 1;
    case FILE_EXT:
        CopyCut(_extension, text, _extensionCapacity);
        return 1;
    case OPEN_MODE:
        CopyCut(_openMode, text);
        return 1;
    case FILE_DIR: {
        CopyCut(_filedir, text, kFileDirCapacity);
        const size_t length = std::strlen(_filedir.data());
        if (length > 0 && _filedir[length - 1] != kSeparator) _filedir[length] = kSeparator;
        plat::DebugTrace("set _filedir to \"%s\"", _filedir.data());
        SanitizeName(_filedir.data(), CharTable::Path);
        return 1;
    }
    default:
        return 0;
    }
}

int OutputStream::OpenOutputFile()
{
    char folder[kPathBufferSize];
    if (ComposeFolderPath(folder, sizeof folder) && !DirectoryExists(folder))
        CreateDirectoryPath(folder); // failures show as a failing open below

    // A second open must not lose the first file (and its pending data) unclosed.
    CloseOutputFile();
    if (!_writeSwitch) return 1;

    char path[kPathBufferSize];
    if (!ComposeFullPath(path, sizeof path)) return 0;
    plat::DebugTrace("szFname: \"%s\"", path);
    OpenFile(path, _openMode.data());
    return _fpOut ? 1 : 0;
}

int OutputStream::CheckOutputFileExists()
{
    char path[kPathBufferSize];
    if (!ComposeFullPath(path, sizeof path)) return 0;
    FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    // Linux opens a folder for reading as well; Windows does not, and a folder is no file.
    struct stat info {
    };
    const bool isFile = fstat(fileno(file), &info) == 0 && !S_ISDIR(info.st_mode);
    std::fclose(file);
    return isFile ? 1 : 0;
}

int OutputStream::Encode(const unsigned char*, int)
{
    return 0;
}

int OutputStream::Flush()
{
    return 0;
}

int OutputStream::Close()
{
    CloseOutputFile();
    return _writeFailed ? 0 : 1;
}

const char* OutputStream::GetExtension() const
{
    return _extension.data();
}

const char* OutputStream::GetBaseName() const
{
    return _fileName.data();
}

int OutputStream::DirectoryExists(const char* path) const
{
    // Asks whether the folder could be made current without making it so: changing the
    // process's current folder for a moment would race with other threads relying on it.
    return plat::CanEnterDirectory(path) ? 1 : 0;
}

int OutputStream::CreateDirectoryPath(const char* path)
{
    std::string rest = path ? path : "";
    std::string result;
    // A leading "/" is the root, as a drive letter with ":\" is on Windows. Other folders
    // are created relative to the current folder.
    if (!rest.empty() && rest[0] == kSeparator) {
        result = kSeparator;
        rest.erase(0, 1);
    }
    plat::DebugTrace("evaluating %s", rest.c_str());

    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find(kSeparator, start);
        if (end == std::string::npos) end = rest.size();
        if (end > start) { // consecutive separators give no empty level
            std::string level = rest.substr(start, end - start);
            SanitizeName(level.data(), CharTable::Name);
            result += level;
            result += kSeparator;
            if (!DirectoryExists(result.c_str())) {
                plat::DebugTrace("Creating dir: %s", result.c_str());
                plat::CreateDirectory(result.c_str());
            }
        }
        start = end + 1;
    }
    return DirectoryExists(path);
}

bool OutputStream::ComposeFolderPath(char* buffer, size_t size) const
{
    const size_t needed = std::strlen(_outputDir.data()) + std::strlen(_filedir.data()) + 2;
    if (!buffer || needed > size) return false;
    const char separator[] = {kSeparator, '\0'};
    Join(buffer, {_outputDir.data(), separator, _filedir.data()});
    return true;
}

bool OutputStream::ComposeFullPath(char* buffer, size_t size) const
{
    const size_t needed = std::strlen(_outputDir.data()) + std::strlen(_filedir.data()) +
                          std::strlen(_fileName.data()) + std::strlen(_extension.data()) + 3;
    if (!buffer || needed >= size) return false;
    const char separator[] = {kSeparator, '\0'};
    Join(buffer,
         {_outputDir.data(), separator, _filedir.data(), _fileName.data(), ".", _extension.data()});
    return true;
}

size_t OutputStream::WriteOutput(const void* data, size_t size)
{
    if (!_fpOut || _fileFailed) return 0;
    const size_t written = std::fwrite(data, 1, size, _fpOut.get());
    bool failed = written != size;
    if (!_firstPieceWritten) {
        _firstPieceWritten = true;
        failed = std::fflush(_fpOut.get()) != 0 || failed;
    }
    if (failed) {
        _fileFailed = true;
        NoteWriteFailure();
    }
    return written;
}

void OutputStream::OpenFile(const char* path, const char* mode)
{
    _fpOut.reset(std::fopen(path, mode));
    _firstPieceWritten = false;
    _fileFailed = false;
    if (!_fpOut) return;
    if (!_fileBuffer) _fileBuffer.reset(new (std::nothrow) char[kFileBufferSize]);
    if (_fileBuffer) std::setvbuf(_fpOut.get(), _fileBuffer.get(), _IOFBF, kFileBufferSize);
}

bool OutputStream::OpenOutputPath(const char* path, const char* mode)
{
    CloseOutputFile();
    OpenFile(path, mode);
    return _fpOut != nullptr;
}

void OutputStream::CloseOutputFile()
{
    // fclose writes what is still buffered: its failure is a lost write, too.
    if (_fpOut && std::fclose(_fpOut.release()) != 0) NoteWriteFailure();
}

} // namespace veltraenc
