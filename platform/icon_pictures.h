// Pictures of the program's icon resources in image lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace zel {

// Puts the picture of icon resource `id` at `size` x `size` pixels into
// `list`: over the picture at `index`, or after the last one when `index`
// is -1. False when the icon cannot be loaded or the list refuses it.
//
// An icon that holds a 32-bit image of exactly that size goes in straight
// from the resource's bits, as one bitmap with its mask; any other is made
// into an icon at that size first. Under Wine an icon costs a dozen rounds
// to its server for the icon and some forty for the list, at every start.
bool PutIconPicture(HIMAGELIST list, int index, HINSTANCE instance, int id, int size);

}  // namespace zel
