#ifndef TEVRA_VERSION_H
#define TEVRA_VERSION_H

// The one place the version is written: the program's texts use it, and the Debian package
// reads it from here.
#define TEVRA_VERSION "0.02"
#define TEVRA_NAME_VERSION "tevra ver." TEVRA_VERSION

#endif
