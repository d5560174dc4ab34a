/* CD audio as every part of the program meets it: frames of 1/75 s, 16-bit little-endian stereo
 * at 44.1 kHz. Plain C, so the libraries and the program can share it without knowing each other. */
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
#define CD_LEAD_IN_FRAMES 150 /* the two seconds before frame 0 in minute-second-frame addresses */

#endif
