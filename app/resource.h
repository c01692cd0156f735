// Resource numbers of Varnik.exe.
#pragma once

#define IDI_APP 103          // the program; also the layer-file picture
#define IDI_LIST2_BAT 111    // window icon: batch filter
#define IDI_LIST2_JWF 112    // window icon: environment filter
#define IDI_TOOL_FIRST 121   // ImageList3: 121 .. 127, toolbar pictures
#define IDI_TOOL_BAT 121
#define IDI_TOOL_JWF 122
#define IDI_TOOL_JWL 123
#define IDI_TOOL_FREE 124
#define IDI_TOOL_DRIVE 125
#define IDI_TOOL_FOLDER 126
#define IDI_TOOL_OPEN 127
#define IDI_TREE_DRIVE 131   // ImageList1: the folder tree
#define IDI_TREE_FOLDER 132
#define IDI_TREE_OPEN 133
