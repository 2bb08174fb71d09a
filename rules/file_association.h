// The association of the snapshot file type ".rsv" with this program in the shell,
// kept under HKEY_CLASSES_ROOT: ".rsv" names the file type "rsvFile_Quillfen_Tarnwick",
// whose DefaultIcon is the program's second icon and whose open command starts the
// program with the file. All registry access goes through the registry seam;
// failures are silent (the options sheet shows only the resulting state).
//
// `programPath` is the full path of the program's executable (platform::programPath).
#pragma once

extern const char kRsvExtensionKey[];  // ".rsv"
extern const char kRsvFileType[];      // "rsvFile_Quillfen_Tarnwick"

enum RsvAssociation : int {
  RSV_OTHER_PROGRAM = -1,  // ".rsv" belongs to another program
  RSV_NOT_ASSOCIATED = 0,
  RSV_OTHER_COPY = 1,      // our file type, but the icon names no program or another copy
  RSV_THIS_PROGRAM = 2,    // our file type, its icon taken from `programPath`
};

RsvAssociation rsvAssociationState(const char* programPath);
// Writes the association step by step; the first failing step stops the rest.
// Returns whether every step succeeded.
bool setRsvAssociation(const char* programPath);
// Deletes ".rsv" and the file type with everything below them; failures are ignored.
void removeRsvAssociation();
