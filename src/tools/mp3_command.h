// piko-tool mp3 IN OUT [--full-band]: decodes an MPEG audio file (a scrambled
// .sp3 when IN ends in .sp3) the way the player does, into raw signed 16-bit
// little-endian interleaved PCM.
#pragma once

// argv[0] is "mp3". Returns 0 on success, 1 on failure, 2 on bad usage.
int RunMp3Command(int argc, char** argv);
