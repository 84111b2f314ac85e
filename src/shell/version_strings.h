// The program's own file version and legal notice from its version resource.
#pragma once

int GetVersionStrings(char* version, int versionSize, char* notice, int noticeSize);
