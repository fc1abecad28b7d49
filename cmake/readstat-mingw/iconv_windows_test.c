/* Checks the Windows iconv under Wine before tools/build-windows keeps the
 * library: each row converts one input in one call and names what iconv must
 * give back (the result, errno, the bytes written and the input used). */
#include "iconv.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

struct row {
    const char *what;
    const char *to, *from;
    const char *in;
    size_t out_room;
    int error; /* 0 for success */
    const char *out;
    size_t used;
};

static const struct row rows[] = {
    {"UTF-8 unchanged, four-byte characters too", "UTF-8", "UTF-8", "社会责任 ok \xF0\x9F\x98\x80", 64, 0,
     "社会责任 ok \xF0\x9F\x98\x80", 20},
    {"names in any case", "utf-8", "utf8", "\xC3\xA9", 64, 0, "\xC3\xA9", 2},
    {"UTF-8 to GBK", "GBK", "UTF-8", "a社会", 64, 0, "a\xC9\xE7\xBB\xE1", 7},
    {"GBK to UTF-8", "UTF-8", "CP936", "\xC9\xE7\xBB\xE1z", 64, 0, "社会z", 5},
    {"Windows-1252 to UTF-8", "UTF-8", "WINDOWS-1252", "\x80\xE9", 64, 0, "\xE2\x82\xAC\xC3\xA9", 2},
    {"a bad byte stops there", "UTF-8", "UTF-8", "a\xFF.", 64, EILSEQ, "a", 1},
    {"an overlong form is bad", "UTF-8", "UTF-8", "\xC0\xAF", 64, EILSEQ, "", 0},
    {"a surrogate is bad", "UTF-8", "UTF-8", "x\xED\xA0\x80", 64, EILSEQ, "x", 1},
    {"a character cut at the end", "UTF-8", "UTF-8", "a\xE7\xA4", 64, EINVAL, "a", 1},
    {"a GBK lead byte at the end", "UTF-8", "GBK", "\xC9\xE7\xC9", 64, EINVAL, "社", 2},
    {"no room for the next character", "UTF-8", "UTF-8", "社会", 4, E2BIG, "社", 3},
    {"not in GBK", "GBK", "UTF-8", "a\xF0\x9F\x98\x80", 64, EILSEQ, "a", 1},
    {"not in Windows-1252", "WINDOWS-1252", "UTF-8", "社", 64, EILSEQ, "", 0},
};

static int check(const struct row *r)
{
    char out[64] = {0};
    char *in = (char *)r->in, *o = out;
    size_t inleft = strlen(r->in), outleft = r->out_room;
    size_t result;
    int error;
    iconv_t cd = iconv_open(r->to, r->from);
    if (cd == (iconv_t)-1) {
        printf("FAIL %s: iconv_open\n", r->what);
        return 1;
    }
    errno = 0;
    result = iconv(cd, &in, &inleft, &o, &outleft);
    error = result == (size_t)-1 ? errno : 0;
    iconv_close(cd);
    if (error != r->error || (size_t)(o - out) != strlen(r->out) || memcmp(out, r->out, strlen(r->out)) != 0 ||
        (size_t)(in - r->in) != r->used || inleft != strlen(r->in) - r->used) {
        printf("FAIL %s: errno %d, %u bytes out, %u bytes used\n", r->what, error, (unsigned)(o - out),
               (unsigned)(in - r->in));
        return 1;
    }
    return 0;
}

int main(void)
{
    int failures = 0;
    size_t i;
    static const char *unsupported[][2] = {{"SHIFT_JIS", "UTF-8"}, {"UTF-8", "UTF-8//TRANSLIT"}, {"UTF-8", ""}};
    for (i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        failures += check(&rows[i]);
    for (i = 0; i < sizeof unsupported / sizeof unsupported[0]; ++i) {
        errno = 0;
        if (iconv_open(unsupported[i][0], unsupported[i][1]) != (iconv_t)-1 || errno != EINVAL) {
            printf("FAIL %s from %s: opened, or not EINVAL\n", unsupported[i][0], unsupported[i][1]);
            ++failures;
        }
    }
    {
        iconv_t cd = iconv_open("UTF-8", "UTF-8");
        if (iconv(cd, NULL, NULL, NULL, NULL) != 0) {
            printf("FAIL a reset\n");
            ++failures;
        }
        iconv_close(cd);
    }
    printf("%s: %d of %u failed\n", failures ? "FAIL" : "PASS", failures,
           (unsigned)(sizeof rows / sizeof rows[0] + sizeof unsupported / sizeof unsupported[0] + 1));
    return failures != 0;
}
