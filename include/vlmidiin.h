/*
 * vlmidiin - MIDI to music notation import library.
 *
 * Public C interface. A host opens a MIDI file (or builds a session from
 * live input), runs vlImportInitialise, then walks the start items, the
 * guide strand and every strand item by item, and finally closes the
 * session. Every function that takes a session handle accepts NULL and then
 * does nothing and returns 0, false or NULL.
 */
#ifndef VLMIDIIN_H
#define VLMIDIIN_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(VLMIDIIN_BUILDING)
#    define VLMIDIIN_API __declspec(dllexport)
#  else
#    define VLMIDIIN_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__) || defined(__clang__)
#  define VLMIDIIN_API __attribute__((visibility("default")))
#else
#  define VLMIDIIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ImportSession ImportSession; /* opaque handle */
typedef uint8_t vlBool;

typedef struct ImportItem { /* exactly 8 bytes */
    uint16_t type;
    uint8_t action;
    uint8_t arg1;
    uint8_t arg2;
    uint8_t arg3;
    uint8_t reserved6;
    uint8_t reserved7;
} ImportItem; /* text items: bytes 4..7 = little-endian 32-bit text index */

typedef struct VlProgressReport { /* second message parameter */
    int32_t zero0;
    int32_t zero1;
    int32_t line; /* 1 step line, 2 detail line */
    int32_t percent;
    const char* text; /* text may be NULL */
} VlProgressReport;

typedef struct StatisticsRecord { /* what VlMidiStatisticsCompute fills */
    int32_t values[29];
} StatisticsRecord;

typedef intptr_t (*VlMessageHandler)(void* window, uint32_t message,
                                     uintptr_t wparam, intptr_t lparam);

/* Import interface */
VLMIDIIN_API int32_t vlImportVersion(void);
VLMIDIIN_API const char* vlImportFormatName(void);
VLMIDIIN_API ImportSession* vlImportOpen(void* parentWindow, uint32_t progressMessage,
                                         const char* path);
VLMIDIIN_API ImportSession* vlImportOpenFromName(const char* path);
VLMIDIIN_API int32_t vlImportInitialise(ImportSession*);
VLMIDIIN_API void vlImportClose(ImportSession** handleVariable);
VLMIDIIN_API int32_t vlImportError(ImportSession*);
VLMIDIIN_API int32_t vlImportStrandCount(ImportSession*);
VLMIDIIN_API vlBool vlImportGetFirstStrand(ImportSession*);
VLMIDIIN_API vlBool vlImportGetNextStrand(ImportSession*);
VLMIDIIN_API vlBool vlImportGetGuideStrand(ImportSession*);
VLMIDIIN_API vlBool vlImportGetStartItems(ImportSession*);
VLMIDIIN_API vlBool vlImportGetStartVoicing(ImportSession*, ImportItem*);
VLMIDIIN_API vlBool vlImportGetFirstItem(ImportSession*, ImportItem*);
VLMIDIIN_API vlBool vlImportGetNextItem(ImportSession*, ImportItem*);
VLMIDIIN_API vlBool vlImportConfigure(void* parentWindow, int32_t selector);

/* Live input */
VLMIDIIN_API ImportSession* vlMidiImportNew(int32_t ignored1, int32_t ignored2,
                                            int32_t division, int32_t trackCount);
VLMIDIIN_API vlBool vlMidiImportAppend(ImportSession*, int32_t track,
                                       uint32_t packedMessage, uint32_t delta);
VLMIDIIN_API vlBool vlMidiImportKeySet(ImportSession*, int32_t track,
                                       uint32_t keySignature, uint32_t delta);
VLMIDIIN_API vlBool vlMidiImportTimeSet(ImportSession*, int32_t track,
                                        uint32_t timeSignature, uint32_t delta);
VLMIDIIN_API vlBool vlMidiImportTempoSet(ImportSession*, int32_t track,
                                         uint32_t tempo, uint32_t delta);
VLMIDIIN_API int32_t vlMidiImportVersion(void);

/* Item descriptions */
VLMIDIIN_API vlBool VliGetDescription(const ImportItem*, char* buffer, uint32_t size);

/* Editing and repair commands */
VLMIDIIN_API void VlMidiReread(ImportSession*);
VLMIDIIN_API int32_t VlMidiQuantiseFirstStep(ImportSession*);
VLMIDIIN_API int32_t VlMidiQuantiseFixDelay(ImportSession*);
VLMIDIIN_API int32_t VlMidiDuplicateTracksRemove(ImportSession*);
VLMIDIIN_API void VlMidiTrackLengthsEqualise(ImportSession*);
VLMIDIIN_API void VlMidiQuantiseStrands(ImportSession*);
VLMIDIIN_API int32_t VlMidiKillBaddies(ImportSession*);
VLMIDIIN_API void VlMidiFiducialEventsToggle(ImportSession*);
VLMIDIIN_API vlBool VlMidiFiducialEventsArePresent(ImportSession*);
VLMIDIIN_API void VlMidiFiducialEventsClear(ImportSession*);
VLMIDIIN_API void VlMidiFiducialEventsInsert(ImportSession*);
VLMIDIIN_API vlBool VlMidiBarlinesInsert(ImportSession*);
VLMIDIIN_API int32_t VlMidiProprietaryOnOffsInsert(ImportSession*);
VLMIDIIN_API int32_t VlMidiAnnotate(ImportSession*);

/* Statistics */
VLMIDIIN_API vlBool VlMidiStatisticsCompute(ImportSession*, int32_t record[29]);
VLMIDIIN_API vlBool VlMidiStatisticsShow(ImportSession*);

/* Text listing */
VLMIDIIN_API vlBool VlMidiTextLineSetFirst(ImportSession*);
VLMIDIIN_API vlBool VlMidiTextLineSetNext(ImportSession*);
VLMIDIIN_API const char* VlMidiTextLineTextChunk(ImportSession*, uint16_t chunk);
VLMIDIIN_API int16_t VlMidiTextLineType(ImportSession*);
VLMIDIIN_API uint32_t VlMidiTextLineCount(ImportSession*); /* 65535 for a null handle */

/* Import-lists viewer */
VLMIDIIN_API void VlMidiImportListShow(ImportSession*, void* parentWindow);

/* Platform hooks for hosts without window messages */
VLMIDIIN_API void vlImportSetMessageHandler(VlMessageHandler handler);
VLMIDIIN_API const char* vlImportItemText(ImportSession*, const ImportItem*);
VLMIDIIN_API void vlImportSetDialogMode(int32_t mode); /* 0 headless (default), 1 terminal */

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VLMIDIIN_H */
