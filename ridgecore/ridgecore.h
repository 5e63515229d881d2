/*
 * Ridgecore: fingerprint features, templates and comparison.
 *
 * Every export returns 1 when it did its job and 0 on failure, and takes a
 * caller's message buffer and an error code as its last two arguments: on
 * entry most write "Veradynics" and 0, every failure writes its text and its
 * negative code. A result of 1 with error -9 means "completed, no match".
 * The longest text is 93 characters; the buffer also receives Ridgeport's
 * texts, so give it at least 256 bytes.
 *
 * All records are caller-owned byte layouts, little-endian. The library keeps
 * library-wide working areas: callers serialise all calls.
 */
#ifndef RIDGECORE_H
#define RIDGECORE_H

#if defined(RIDGECORE_BUILD)
#define RIDGECORE_API __attribute__((visibility("default")))
#else
#define RIDGECORE_API
#endif

/* A template's security level (byte 2) sets how many paired minutiae a
 * comparison with it needs: 12 at level 5, which every completed template
 * carries, and 10, 9, 8, 7 at levels 4 to 1 (both families). A byte outside
 * 1..5 counts as level 5. */
#define VD_SECURITYMIN 1
#define VD_SECURITYMAX 5

#define RIDGECORE_IMAGE_WIDTH 300
#define RIDGECORE_IMAGE_HEIGHT 300
#define RIDGECORE_IMAGE_SIZE 90000
#define RIDGECORE_PREVIEW_SIZE 10000 /* rows and columns 100..199 of the image */
#define RIDGECORE_MAX_MINUTIAE 50
#define RIDGECORE_MAX_USERS 60
#define RIDGECORE_FAST_MAX_USERS 32767
#define RIDGECORE_ENROLL_MAGIC 0xDA

#pragma pack(push, 1)

/* One minutia of a feature record: 23 bytes. */
typedef struct tagFMINUTIA {
  unsigned char x;       /* pixel column / 2 */
  unsigned char y;       /* pixel row / 2 */
  unsigned char typeDir; /* bit 0: 1 bifurcation, 0 ending; bits 1..7: direction, 2pi/128 units */
  unsigned char reserved[20];
} tagFMINUTIA;

/* Feature record: 1192 bytes. Unused bytes hold filler copied from the image. */
typedef struct tagFDATA {
  unsigned char filler[30];                     /* 0..29 */
  unsigned char count;                          /* 30 */
  tagFMINUTIA minutiae[RIDGECORE_MAX_MINUTIAE]; /* 31..1180 */
  unsigned char tail[4];                        /* 1181..1184 */
  unsigned char mark[6];                        /* 1185..1190: '1','0','4','0','D','V' */
  unsigned char last;                           /* 1191 */
} tagFDATA;

/* Classic template of one finger: 3603 bytes at least (callers may allocate more). */
typedef struct tagENROLL {
  unsigned char type;        /* 0: 1 classic, 2 fast */
  unsigned char magic;       /* 1: 0xDA once completed */
  unsigned char security;    /* 2: 1..5 */
  unsigned char zero[2];     /* 3, 4 */
  unsigned char centre[2];   /* 5, 6: 150, 150 */
  unsigned char unused7;     /* 7 */
  unsigned char dpi[4];      /* 8..11: i32 little-endian, 480 */
  unsigned char impressions; /* 12: 3 */
  unsigned char unused13[3]; /* 13..15 */
  tagFDATA slot[3];          /* 16, 1208, 2400 */
  unsigned char flags[3];    /* 3592..3594 */
  unsigned char reserved[8]; /* 3595..3602: 0 while building */
} tagENROLL;

/* Fast feature record: 5210 bytes. */
typedef struct tagFASTFDATA {
  unsigned char count;             /* 0 */
  unsigned char zero[3];           /* 1..3 */
  unsigned char mark[6];           /* 4..9: '1','0','4','0','T','F' */
  unsigned char minutiae[50][104]; /* 10 + 104 k: FastMinutia */
} tagFASTFDATA;

/* Fast template: 15650 bytes. */
typedef struct tagFASTENROLL {
  unsigned char type;        /* 0: 2 */
  unsigned char magic;       /* 1: 0xDA */
  unsigned char security;    /* 2 */
  unsigned char zero[2];     /* 3, 4 */
  unsigned char centre[2];   /* 5, 6: 150, 150 */
  unsigned char resolution5; /* 7: dpi / 5 (96) */
  unsigned char unused8;     /* 8 */
  tagFASTFDATA slot[3];      /* 9, 5219, 10429 */
  unsigned char flags[3];    /* 15639..15641 */
  unsigned char reserved[8]; /* 15642..15649 */
} tagFASTENROLL;

#pragma pack(pop)

#ifndef __cplusplus
_Static_assert(sizeof(tagFMINUTIA) == 23, "minutia layout");
_Static_assert(sizeof(tagFDATA) == 1192, "tagFDATA layout");
_Static_assert(sizeof(tagENROLL) == 3603, "tagENROLL layout");
_Static_assert(sizeof(tagFASTFDATA) == 5210, "tagFASTFDATA layout");
_Static_assert(sizeof(tagFASTENROLL) == 15650, "tagFASTENROLL layout");
#endif

#ifdef __cplusplus
static_assert(sizeof(tagFMINUTIA) == 23, "minutia layout");
static_assert(sizeof(tagFDATA) == 1192, "tagFDATA layout");
static_assert(sizeof(tagENROLL) == 3603, "tagENROLL layout");
static_assert(sizeof(tagFASTFDATA) == 5210, "tagFASTFDATA layout");
static_assert(sizeof(tagFASTENROLL) == 15650, "tagFASTENROLL layout");
extern "C" {
#endif

/* Classic family: capture included (through Ridgeport). */
RIDGECORE_API int VD_Enroll(int iSelection, tagENROLL* pEnroll, unsigned char* pPreview, char* message, int* error);
RIDGECORE_API int VD_Compare(const unsigned char* buffer, int iUserCount, int iDataSize, int iHeaderSize,
                             unsigned char* pPreview, int* index, int* score, char* message, int* error);

/* Feature-record family. */
RIDGECORE_API int VD_ExtractFData(const unsigned char* pImage, tagFDATA* pFData, char* message, int* error);
RIDGECORE_API int VD_CompareFData1to1(tagFDATA* pFirst, tagFDATA* pSecond, int* score, char* message, int* error);
RIDGECORE_API int VD_MakeEnroll(unsigned char* pImage, int iSelection, tagENROLL* pEnroll, char* message, int* error);
RIDGECORE_API int VD_MakeEnrollUsingFData(tagFDATA* pFData, int iSelection, tagENROLL* pEnroll, char* message,
                                          int* error);
RIDGECORE_API int VD_CompareEnroll1to1(unsigned char* pImage, tagENROLL* pEnroll, int* score, char* message,
                                       int* error);
RIDGECORE_API int VD_CompareEnroll1toN(unsigned char* pImage, const unsigned char* buffer, int iUserCount,
                                       int iDataSize, int iHeaderSize, int* index, int* score, char* message,
                                       int* error);
RIDGECORE_API int VD_SetSecurityLevel(tagENROLL* pEnroll, int iSecurityLevel, char* message, int* error);
RIDGECORE_API int VD_GetSecurityLevel(const tagENROLL* pEnroll, int* level, char* message, int* error);
RIDGECORE_API int VD_GetAlgoVer(const tagENROLL* pEnroll, int* version, char* versionText, char* message, int* error);
RIDGECORE_API int VD_GetDPIInfo(const tagENROLL* pEnroll, int* dpi, char* message, int* error);

/* Fast family. */
RIDGECORE_API int VD_FData2FastFData(tagFDATA* pFData, tagFASTFDATA* pFastFData, char* message, int* error);
RIDGECORE_API int VD_Fast_ExtractFData(unsigned char* pImage, tagFASTFDATA* pFastFData, char* message, int* error);
RIDGECORE_API int VD_Fast_CompareFData1to1(tagFASTFDATA* pFirst, tagFASTFDATA* pSecond, int* score, char* message,
                                           int* error);
RIDGECORE_API int VD_Fast_MakeEnroll(unsigned char* pImage, int iSelection, tagFASTENROLL* pEnroll, char* message,
                                     int* error);
RIDGECORE_API int VD_Fast_MakeEnrollUsingFData(tagFASTFDATA* pFastFData, int iSelection, tagFASTENROLL* pEnroll,
                                               char* message, int* error);
RIDGECORE_API int VD_FAST_CompareEnroll1to1(unsigned char* pImage, tagFASTENROLL* pEnroll, int* score, char* message,
                                            int* error);
RIDGECORE_API int VD_FAST_CompareEnroll1toN(unsigned char* pImage, unsigned char* buffer, int iUserCount, int iDataSize,
                                            int iHeaderSize, int* index, int* score, char* message, int* error);
RIDGECORE_API int VD_FAST_CompareEnroll1to1UsingFData(tagFASTFDATA* pFastFData, tagFASTENROLL* pEnroll, int* score,
                                                      char* message, int* error);
RIDGECORE_API int VD_FAST_CompareEnroll1toNUsingFData(tagFASTFDATA* pFastFData, unsigned char* buffer, int iUserCount,
                                                      int iDataSize, int iHeaderSize, int* index, int* score,
                                                      char* message, int* error);
RIDGECORE_API int VD_FAST_SetSecurityLevel(tagFASTENROLL* pEnroll, int iSecurityLevel, char* message, int* error);
RIDGECORE_API int VD_FAST_GetSecurityLevel(const tagFASTENROLL* pEnroll, int* level, char* message, int* error);
RIDGECORE_API int VD_FAST_GetAlgoVer(const tagFASTENROLL* pEnroll, int* version, char* versionText, char* message,
                                     int* error);
RIDGECORE_API int VD_FAST_GetDPIInfo(const tagFASTENROLL* pEnroll, int* dpi, char* message, int* error);

#ifdef __cplusplus
}

/* These two keep C++ linkage: their exported names carry their argument types. */
RIDGECORE_API int VD_CompareEnroll1to1UsingFData(tagFDATA* pFData, tagENROLL* pEnroll, int* score, char* message,
                                                 int* error);
RIDGECORE_API int VD_CompareEnroll1toNUsingFData(tagFDATA* pFData, unsigned char* buffer, int iUserCount, int iDataSize,
                                                 int iHeaderSize, int* index, int* score, char* message, int* error);
#endif

#endif /* RIDGECORE_H */
