#pragma once
// Shared libraries loaded while the program runs: the maker's libraries,
// which a machine may or may not have, and the simulator kit. One
// implementation per platform lives beside this header.

#include <string>

namespace platform {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library. A name with a folder in it is loaded from there
    // alone; a bare name is looked for as the system looks for libraries
    // (on Windows the program's own folder and the DLL search path, never
    // the working directory). False on failure, with the system's reason
    // in error().
    bool open(const std::string& nameOrPath);
    bool isOpen() const { return handle_ != nullptr; }
    void close();

    // The address the library exports under the name, or null.
    void* symbol(const char* name) const;

    // Where the loaded library's file is, as the system reports it.
    std::string path() const;
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

// The file name a library of the stem has on this system: hxapi.dll on
// Windows, libhxapi.so.1 (its soname, of the given major version) elsewhere.
std::string sharedLibraryFileName(const char* stem, int majorVersion);

// Where open() looks for a library given by its bare name, in words.
std::string librarySearchDescription();

// The folder that holds the running program's file, without a trailing
// separator; empty when the system cannot say.
std::string programDirectory();

// The separator of folders in paths: '\\' on Windows, '/' elsewhere.
char pathSeparator();

// True when the path names an existing regular file.
bool isRegularFile(const std::string& path);

}  // namespace platform
