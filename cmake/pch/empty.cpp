// The file each precompiled-header target compiles: the header is its work.
