#pragma once
// The numbers the storage operations return. Only opening or creating a file yields a status;
// later failures throw IoError. Callers show a status as "Error #" + number + " occurred".

namespace jb {

enum StorageStatus : unsigned {
    kStatusOk = 0,
    kStatusDatesHeaderUnopenable = 1,  // single date reads: the header file cannot be opened
    kStatusDataFileUnopenable = 2,     // the data file cannot be opened (for a write: reopened)
    kStatusReadOutUncreatable = 3,     // page read: ".tpm" cannot be created
    kStatusWriteInUnopenable = 3,      // page write: ".ptm" cannot be opened
    kStatusHeaderUnopenable = 5,       // the header file cannot be opened
    kStatusNewDataFileUnopenable = 6,  // pack: ".jb1" cannot be opened or created
    kStatusNewHeaderUncreatable = 7,   // purge and pack: ".hd1" cannot be created
    kStatusDataFileUncreatable = 22,   // page write: no data file, and it cannot be created
    kStatusHeaderUncreatable = 55,     // page write: no header file, and it cannot be created
    kStatusDataFileFull = 80,          // page write: the body would end past the 2 GiB offset limit
};

}  // namespace jb
