/* CD audio as every part of the program meets it: frames of 1/75 s, 16-bit little-endian
 * stereo at 44.1 kHz. Plain C, so the libraries and the program share it without knowing each
 * other. */
#ifndef CDAUDIO_H
#define CDAUDIO_H

#define CD_SAMPLE_RATE 44100
#define CD_CHANNELS 2
#define CD_BITS_PER_SAMPLE 16
#define CD_SAMPLE_FRAME_BYTES 4 /* one stereo sample: two 16-bit channels */

#define CD_FRAME_BYTES 2352      /* one audio frame (sector) */
#define CD_SAMPLES_PER_FRAME 588 /* CD_FRAME_BYTES / CD_SAMPLE_FRAME_BYTES */
#define CD_FRAMES_PER_SECOND 75
#define CD_FRAMES_PER_MINUTE 4500

/* The two seconds before frame 0: minute-second-frame addresses and disc ids count from there. */
#define CD_LEAD_IN_FRAMES 150
/* Frames between an Enhanced CD's last audio frame and its data track: the first session's
 * lead-out (6750), the second session's lead-in (4500) and the data track's pregap (150). */
#define CD_ENHANCED_CD_GAP 11400

#endif
