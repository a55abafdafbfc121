/*
 * libsluice.so: the functions of Sluice that other programs may call.
 *
 * Link with -lsluice, or load the library with dlopen and look the names up
 * with dlsym. All texts are CP932 (Shift-JIS) bytes, zero-terminated.
 */
#ifndef SLUICE_H
#define SLUICE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Writes a place's text into buffer, which must hold at least 1024 bytes:
 * a special folder (0 and 16 desktop, 2 and 11 the applications menu, 5
 * documents, 7 autostart), 4097 the temporary folder with a trailing "/",
 * 4098 a temporary file name, 4101 the computer's name, 4102 the user's login
 * name, 4103 the quick temporary folder ($TEMP_QUICK, else the temporary
 * folder), 4104 a temporary file name in it. Anything else, and 4099 and 4100,
 * give an empty text. Always returns 1.
 */
int m_GetSpecialFolderLocation(char* buffer, int place);

/*
 * Asks the user for a folder in a dialog titled title ("フォルダを選択して
 * ください" when title is NULL or empty), with initial (may be NULL) selected,
 * and owned by the X11 window owner unless it is 0.
 * Returns 1 when a folder was chosen: its path is in buffer, cut to size - 1
 * bytes (never inside a double-byte character) and always terminated.
 * Returns 2, leaving buffer unchanged, when the user cancelled, when the
 * folder's path cannot be written in CP932, when buffer is NULL or size 0,
 * and at once when there is no dialog to show: no display, a caller's Qt
 * application that is not a QApplication, or a call off that application's
 * thread. The dialog is Qt's, from libsluice-folder-dialog.so beside
 * libsluice.so, loaded on the first call; a caller without a Qt application
 * gets one made for the call.
 */
int32_t GetOpenFolderName(unsigned long owner, const char* initial, char* buffer, uint32_t size,
                          const char* title);

/*
 * Compares the local clock with the Date header of a web server's answer to
 * a GET of url (a public web site when url is NULL or empty). Returns the
 * difference server time minus local time in seconds, the server's time
 * counted one second late; 0 when no readable Date header came.
 * When lower_ms is not 0 and the absolute difference in milliseconds lies
 * strictly between lower_ms and upper_ms, sets the clock to the server's
 * time. A URL whose host part ends in ":123" is asked by SNTP instead:
 * the result is InetSNTP("host:123", lower_ms).
 */
int32_t InetHttpTime(const char* url, int32_t lower_ms, int32_t upper_ms);

/*
 * Compares the local clock with an SNTP server: server is "host" or
 * "host:port" (port 123 when none; a public server pool when server is NULL
 * or empty). Returns the difference server time minus local time in
 * milliseconds, or one of the codes below. When threshold_ms is not 0 and
 * the absolute difference is above it, sets the clock to the server's time.
 * The answer is awaited for 2 seconds.
 *
 * Setting the clock needs the right to (CAP_SYS_TIME). Without it both time
 * functions change nothing, still return the difference, and write one line
 * to standard error saying the clock was not set and why.
 */
int32_t InetSNTP(const char* server, int32_t threshold_ms);

/* Results of InetSNTP. -10001, -10002 and -10009 are never returned on Linux. */
#define SLUICE_SNTP_NO_SOCKET (-10003)      /* no UDP socket */
#define SLUICE_SNTP_NO_LOCAL_PORT (-10004)  /* no local port from 11024 up could be bound */
#define SLUICE_SNTP_NO_ADDRESS (-10005)     /* the server name has no address */
#define SLUICE_SNTP_SEND_FAILED (-10006)    /* the request could not be sent (or no valid port) */
#define SLUICE_SNTP_WAIT_FAILED (-10007)    /* waiting for the answer failed */
#define SLUICE_SNTP_TIMED_OUT (-10008)      /* no answer within 2 seconds */
#define SLUICE_SNTP_BAD_ANSWER (-10010)     /* only datagrams that were no answer came */
#define SLUICE_SNTP_NO_TIME (-10011)        /* the answer carried no usable time */

#ifdef __cplusplus
}
#endif

#endif /* SLUICE_H */
