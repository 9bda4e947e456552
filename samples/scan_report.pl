#!/usr/bin/perl
# A Perl script for the scanner tour: the pattern after =~ is read as a
# template, so its blanks and slashes stay inside one token.
use strict;

my $line = "id=42; name=\"Ann\"";
if ($line =~ /name="(\w+)"/) {
  print "name: $1\n";
}
$line =~ s/id=\d+/id=?/;
print $line, "\n";
