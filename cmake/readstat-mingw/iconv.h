/* The iconv that ReadStat includes, for MinGW, which has none: ReadStat's
 * Stata and SPSS code opens and closes converters when it reads a file
 * (its writers convert nothing, but share that code), so the Windows build
 * gets this small one over the Windows API instead of a whole libiconv.
 * Only compiled into the static ReadStat of tools/build-windows; the names
 * are mapped to our own so no real iconv in the same program can clash. */
#ifndef CSR_READSTAT_MINGW_ICONV_H
#define CSR_READSTAT_MINGW_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct csr_iconv *iconv_t;

#define iconv_open csr_iconv_open
#define iconv csr_iconv
#define iconv_close csr_iconv_close

/* UTF-8, GBK (code page 936) and Windows-1252, under their usual names;
 * any other pair fails with EINVAL. */
iconv_t iconv_open(const char *tocode, const char *fromcode);
size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
