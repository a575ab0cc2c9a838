#!/usr/bin/perl
# The record lock's byte, as any process can lock it on a file it may open:
#   farlock.pl FILE...        a shared lock on each file (all a pupil can take on a file they
#                             may only read), held until killed; prints "held" once taken
#   farlock.pl --try FILE     exit status 0 when an exclusive lock on it could be had now
use strict;
use warnings;
use Fcntl qw(F_RDLCK F_WRLCK);

my $F_OFD_SETLK = 37;              # from <fcntl.h>: a lock of the open file, as the game's
my $byte = 0x7FFF_FFFF_FFFF_FFFE;  # the byte every copy of the game locks
sub place { pack('s s x4 q q i x4', $_[0], 0, $byte, 1, 0) }

if (@ARGV == 2 && $ARGV[0] eq '--try') {
    open(my $fh, '+<', $ARGV[1]) or die "$ARGV[1]: $!\n";
    exit(fcntl($fh, $F_OFD_SETLK, place(F_WRLCK)) ? 0 : 1);
}
my @held;
for my $path (@ARGV) {
    open(my $fh, '<', $path) or die "$path: $!\n";
    fcntl($fh, $F_OFD_SETLK, place(F_RDLCK)) or die "$path: $!\n";
    push @held, $fh;
}
$| = 1;
print "held\n";
sleep 600;
