// The stream base of the encoder library: output name parts, path composition, folder
// creation, the output file and the write switch.
#pragma once

#include "TextCopy.h"

#include "platform/ModulePath.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>

namespace veltraenc
{

// Buffers for composed paths (the Win32 MAX_PATH plus one).
constexpr size_t kPathBufferSize = 261;
constexpr size_t kOutputDirCapacity = 260;
constexpr size_t kFileNameCapacity = 260;
constexpr size_t kFileDirCapacity = 259; // plus the appended separator
constexpr size_t kExtensionCapacity = 3;
// "flac" and "opus": the streams whose own extension is longer take FILE_EXT up to its length.
constexpr size_t kLongExtensionCapacity = 4;
constexpr size_t kOpenModeCapacity = 4;
// The output file's buffer: a rip hands over 4 KiB pieces, one write call each without it.
constexpr size_t kFileBufferSize = 256 * 1024;

// The platform's path separator, "/" on Linux: option 0 drops one trailing separator, option 28
// appends one, and the compositions join the parts with it.
constexpr char kSeparator = plat::kPathSeparator;

class OutputStream
{
public:
    virtual ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    // The virtual operations, in the slot order every stream shares.
    virtual int Init();
    virtual int SetIntOption(int option, int value);
    virtual int SetAsciiOption(int option, const char* text);
    virtual int OpenOutputFile();
    virtual int CheckOutputFileExists();
    virtual int Encode(const unsigned char* pcm, int count);
    virtual int Flush();
    virtual int Close();
    virtual const char* GetExtension() const;
    virtual const char* GetBaseName() const;
    virtual int DirectoryExists(const char* path) const;
    virtual int CreateDirectoryPath(const char* path);

    // "<output folder>/<sub-folder>": true when the lengths plus 2 fit the size.
    bool ComposeFolderPath(char* buffer, size_t size) const;
    // "<output folder>/<sub-folder><name>.<extension>": true when the lengths plus 3 are
    // less than the size. The buffer is untouched when the path does not fit.
    bool ComposeFullPath(char* buffer, size_t size) const;

    bool IsWriteEnabled() const { return _writeSwitch != 0; }
    bool IsOpen() const { return _fpOut != nullptr; }
    // True once any write to the output file has failed.
    bool HasWriteFailed() const { return _writeFailed; }

protected:
    // Never created by itself: only as the base of a stream type.
    OutputStream(const char* extension, const char* openMode);

    FILE* OutputFile() const { return _fpOut.get(); }
    // Opens a path as the output file (after closing one still open); false when it fails.
    bool OpenOutputPath(const char* path, const char* mode);
    // fwrite to the output file; a short write is remembered, and after one the file takes
    // nothing more (0). The first piece is flushed at once, so that a file that takes nothing
    // (a full disk, a size limit) shows in the next piece's result, as with a small buffer.
    size_t WriteOutput(const void* data, size_t size);
    // Closes the output file if open; a failing close (buffered data lost) is remembered.
    void CloseOutputFile();
    void NoteWriteFailure() { _writeFailed = true; }

private:
    struct FileCloser {
        void operator()(FILE* file) const { std::fclose(file); }
    };

    // Opens the output file with the large buffer (the default one when memory is short).
    void OpenFile(const char* path, const char* mode);

    std::array<char, kOutputDirCapacity + 1> _outputDir{};
    std::array<char, kFileNameCapacity + 1> _fileName{};
    std::array<char, kFileDirCapacity + 2> _filedir{};
    std::array<char, kLongExtensionCapacity + 1> _extension{};
    size_t _extensionCapacity = kExtensionCapacity;
    std::array<char, kOpenModeCapacity + 1> _openMode{};
    // Declared before the file: it must outlive the FILE that uses it.
    std::unique_ptr<char[]> _fileBuffer;
    std::unique_ptr<FILE, FileCloser> _fpOut;
    bool _firstPieceWritten = false;
    bool _fileFailed = false; // a write to the open file failed
    int _writeSwitch = 1;
    // A failed write must not end as a "complete" file: Close reports it with 0.
    bool _writeFailed = false;
};

} // namespace veltraenc
