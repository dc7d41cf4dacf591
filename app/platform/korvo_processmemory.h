#pragma once

class QString;

/// How the process's allocator treats large blocks. The program's images (backgrounds, the gauge's frames,
/// the palette's ring) are large, and most are made once and some are dropped again: blocks that size
/// should come from the system and go back to it when freed, instead of staying as holes in the heap.
class Korvo_ProcessMemory
{
public:
    /// Call once, first thing in main(), before anything is allocated on a second thread.
    static void returnLargeBlocksToTheSystem();
    /// Hands back the pages of resource data stored in the program file that the process has read once,
    /// such as a font the font database has just scanned glyph by glyph: they are clean copies of the file,
    /// read in again if they are needed. Compressed resources, which were copied, are left alone.
    static void releaseResourcePages(const QString &resourcePath);
};
