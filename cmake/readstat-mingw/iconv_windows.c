/* iconv for ReadStat on Windows, through UTF-16 with MultiByteToWideChar and
 * WideCharToMultiByte. One character at a time, so that E2BIG, EILSEQ and
 * EINVAL stop exactly at a character's edge with the pointers moved past
 * what was converted, as iconv(3) says; the texts ReadStat converts are
 * names and labels, so the speed does not matter. */
#include "iconv.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

struct csr_iconv {
    UINT from;
    UINT to;
};

static int same_name(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'a' && *a <= 'z' ? (char)(*a - 'a' + 'A') : *a;
        if (x != *b)
            return 0;
    }
    return *a == *b;
}

static UINT code_page(const char *name)
{
    static const struct {
        const char *name;
        UINT page;
    } pages[] = {
        {"UTF-8", CP_UTF8}, {"UTF8", CP_UTF8},    {"GBK", 936},           {"CP936", 936},
        {"GB2312", 936},    {"WINDOWS-936", 936}, {"WINDOWS-1252", 1252}, {"CP1252", 1252},
    };
    size_t i;
    if (!name)
        return 0;
    for (i = 0; i < sizeof pages / sizeof pages[0]; ++i)
        if (same_name(name, pages[i].name))
            return pages[i].page;
    return 0;
}

iconv_t iconv_open(const char *tocode, const char *fromcode)
{
    UINT to = code_page(tocode), from = code_page(fromcode);
    iconv_t cd;
    if (!to || !from) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    cd = malloc(sizeof *cd);
    if (!cd) {
        errno = ENOMEM;
        return (iconv_t)-1;
    }
    cd->from = from;
    cd->to = to;
    return cd;
}

int iconv_close(iconv_t cd)
{
    if (!cd || cd == (iconv_t)-1) {
        errno = EBADF;
        return -1;
    }
    free(cd);
    return 0;
}

enum { INVALID = 0, INCOMPLETE = -1 };

/* The bytes of the character at `in`, INVALID, or INCOMPLETE when the input
 * ends inside it. UTF-8 is checked here to the second byte (overlong forms and
 * surrogates), the rest by MultiByteToWideChar. */
static int character_bytes(UINT page, const unsigned char *in, size_t left)
{
    unsigned char b = in[0], low = 0x80, high = 0xBF;
    int n;
    size_t i;
    if (page != CP_UTF8) {
        if (!IsDBCSLeadByteEx(page, b))
            return 1;
        return left < 2 ? INCOMPLETE : 2;
    }
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4;
    else
        return INVALID;
    if (b == 0xE0)
        low = 0xA0;
    else if (b == 0xED)
        high = 0x9F;
    else if (b == 0xF0)
        low = 0x90;
    else if (b == 0xF4)
        high = 0x8F;
    for (i = 1; i < (size_t)n && i < left; ++i) {
        if (in[i] < low || in[i] > high)
            return INVALID;
        low = 0x80;
        high = 0xBF;
    }
    return (size_t)n > left ? INCOMPLETE : n;
}

static size_t fail(int error)
{
    errno = error;
    return (size_t)-1;
}

size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    if (!cd || cd == (iconv_t)-1)
        return fail(EBADF);
    /* No shift states: a reset writes nothing. */
    if (!inbuf || !*inbuf)
        return 0;
    while (*inbytesleft > 0) {
        const unsigned char *in = (const unsigned char *)*inbuf;
        WCHAR wide[2];
        char bytes[8];
        BOOL lossy = FALSE;
        int n = character_bytes(cd->from, in, *inbytesleft), wn, bn;
        if (n == INCOMPLETE)
            return fail(EINVAL);
        if (n == INVALID)
            return fail(EILSEQ);
        wn = MultiByteToWideChar(cd->from, MB_ERR_INVALID_CHARS, *inbuf, n, wide, 2);
        if (wn <= 0)
            return fail(EILSEQ);
        if (cd->to == CP_UTF8)
            bn = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, wn, bytes, sizeof bytes, NULL, NULL);
        else
            bn = WideCharToMultiByte(cd->to, WC_NO_BEST_FIT_CHARS, wide, wn, bytes, sizeof bytes, NULL, &lossy);
        if (bn <= 0 || lossy)
            return fail(EILSEQ);
        if ((size_t)bn > *outbytesleft)
            return fail(E2BIG);
        memcpy(*outbuf, bytes, (size_t)bn);
        *outbuf += bn;
        *outbytesleft -= (size_t)bn;
        *inbuf += n;
        *inbytesleft -= (size_t)n;
    }
    return 0;
}
