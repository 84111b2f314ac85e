/* Resource identifiers shared by the .rc files and the code. */
#pragma once

#define DOZELITE_MANIFEST_ID 1
