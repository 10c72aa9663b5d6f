package Quillet::WScript;

# The $WScript object that a PerlScript (.pls) sees when Quillet runs it with the system's
# perl: what the Windows host offers that makes sense without COM. Texts go out as UTF-8.

use strict;
use warnings;
use utf8;
use Exporter 'import';
use Time::HiRes ();

our @EXPORT = qw($WScript in);
our $WScript;

my %Text = (
    ja => {
        no_com  => 'CreateObject と GetObject は使えません: Linux の perl には COM オブジェクトがありません。',
        bad_mode => 'ファイル モードが不正です。',
        no_console => 'ハンドルが無効です。',
        range => 'インデックスが有効範囲にありません。',
        past_end => 'ファイルの終わりを越えて読み込もうとしました。',
    },
    en => {
        no_com  => 'CreateObject and GetObject are not available: the perl on Linux has no COM objects.',
        bad_mode => 'Bad file mode',
        no_console => 'The handle is invalid.',
        range => 'Subscript out of range',
        past_end => 'Input past end of file',
    },
);

# Fails at the script's line, not at this module's.
sub fail {
    my ($message) = @_;
    my $i = 0;
    while (my @frame = caller($i++)) {
        next if $frame[1] eq __FILE__;
        die "$message at $frame[1] line $frame[2].\n";
    }
    die "$message\n";
}

sub language { (($ENV{QUILLET_LANG} // $ENV{LC_ALL} // $ENV{LC_MESSAGES} // $ENV{LANG} // '') =~ /^ja/) ? 'ja' : 'en' }
sub text { $Text{language()}{$_[0]} }

# Set up by the runner: script path, arguments, GUI or console, how to show a box.
sub setup {
    my (%o) = @_;
    my $path = $o{script};
    (my $name = $path) =~ s{.*/}{};
    $WScript = bless {
        ScriptFullName => $path,
        ScriptName     => $name,
        Name           => 'Windows Script Host',
        FullName       => $o{runner},
        Path           => ($o{runner} =~ s{/[^/]*$}{}r),
        Version        => '5.8',
        Interactive    => $o{batch} ? 0 : 1,
        Timeout        => $o{timeout} // 0,
        gui            => $o{gui},
        box            => $o{box},
        args           => [@{ $o{arguments} }],
    }, __PACKAGE__;
    return $WScript;
}

for my $p (qw(ScriptFullName ScriptName Name FullName Path Version Timeout)) {
    no strict 'refs';
    *{$p} = sub { $_[0]{$p} };
}

sub Interactive {
    my ($self, @v) = @_;
    $self->{Interactive} = $v[0] ? 1 : 0 if @v;
    return $self->{Interactive};
}

sub Echo {
    my ($self, @items) = @_;
    my $line = join ' ', map { defined $_ ? $_ : '' } @items;
    if ($self->{gui}) {
        $self->{box}->($line, 0) if $self->{Interactive};
    } else {
        print STDOUT $line, "\n";
    }
    return;
}

sub Quit {
    my ($self, $code) = @_;
    STDOUT->flush;
    exit($code // 0);
}

sub Sleep {
    my ($self, $ms) = @_;
    Time::HiRes::sleep(($ms // 0) / 1000);
    return;
}

sub CreateObject { fail(text('no_com')) }
sub GetObject    { fail(text('no_com')) }
sub ConnectObject    { fail(text('no_com')) }
sub DisconnectObject { fail(text('no_com')) }

sub Arguments { 'Quillet::WScript::Arguments'->new($_[0]{args}, 'all') }

sub _stream {
    my ($self, $which) = @_;
    fail(text('no_console')) if $self->{gui};
    return 'Quillet::WScript::TextStream'->new($which);
}
sub StdIn  { $_[0]->_stream('in') }
sub StdOut { $_[0]->_stream('out') }
sub StdErr { $_[0]->_stream('err') }

# PerlScript's way to walk a collection: foreach (in $WScript->Arguments) { ... }
sub in { map { $_->can('_items') ? $_->_items : @$_ } @_ }

package Quillet::WScript::Arguments;

sub new {
    my ($class, $all, $kind) = @_;
    my (@items, @names, %values);
    for my $a (@$all) {
        my $named = CORE::length($a) > 1 && substr($a, 0, 1) eq '/';
        if ($kind eq 'all') { push @items, $a }
        elsif ($kind eq 'unnamed' && !$named) { push @items, $a }
        elsif ($kind eq 'named' && $named) {
            my ($n, $v) = $a =~ m{^/([^:]*)(?::(.*))?$}s;
            push @names, $n unless exists $values{lc $n};
            $values{lc $n} = $v // '';
        }
    }
    return bless { all => $all, kind => $kind, items => ($kind eq 'named' ? \@names : \@items),
                   values => \%values }, $class;
}

sub _items { @{ $_[0]{items} } }
sub Count  { scalar @{ $_[0]{items} } }
sub length { scalar @{ $_[0]{items} } }
sub Named   { __PACKAGE__->new($_[0]{all}, 'named') }
sub Unnamed { __PACKAGE__->new($_[0]{all}, 'unnamed') }
sub Exists  { exists $_[0]{values}{ lc($_[1] // '') } ? 1 : 0 }

sub Item {
    my ($self, $key) = @_;
    return $self->{values}{ lc($key // '') } if $self->{kind} eq 'named';
    Quillet::WScript::fail(Quillet::WScript::text('range'))
        unless defined $key && $key =~ /^\d+$/ && $key < @{ $self->{items} };
    return $self->{items}[$key];
}

package Quillet::WScript::TextStream;

sub new { bless { which => $_[1], line => 1, column => 1 }, $_[0] }

sub _out {
    my ($self) = @_;
    Quillet::WScript::fail(Quillet::WScript::text('bad_mode')) if $self->{which} eq 'in';
    return $self->{which} eq 'err' ? \*STDERR : \*STDOUT;
}
sub _in {
    my ($self) = @_;
    Quillet::WScript::fail(Quillet::WScript::text('bad_mode')) unless $self->{which} eq 'in';
    return \*STDIN;
}

sub Write     { my ($s, $t) = @_; print { $s->_out } $t // ''; return }
sub WriteLine { my ($s, $t) = @_; print { $s->_out } $t // '', "\n"; return }
sub WriteBlankLines { my ($s, $n) = @_; print { $s->_out } "\n" x ($n // 0); return }
sub Close { return }

sub ReadLine {
    my ($s) = @_;
    my $fh = $s->_in;
    my $l = <$fh>;
    Quillet::WScript::fail(Quillet::WScript::text('past_end')) unless defined $l;
    $l =~ s/\r?\n\z//;
    $s->{line}++;
    return $l;
}
sub ReadAll { my ($s) = @_; my $fh = $s->_in; local $/; my $t = <$fh>; return $t // '' }
sub Read {
    my ($s, $n) = @_;
    my $fh = $s->_in;
    my $t = '';
    read($fh, $t, $n // 0);
    return $t;
}
sub Skip     { $_[0]->Read($_[1]); return }
sub SkipLine { eval { $_[0]->ReadLine }; return }
sub AtEndOfStream { my ($s) = @_; my $fh = $s->_in; return eof($fh) ? 1 : 0 }
sub AtEndOfLine {
    my ($s) = @_;
    my $fh = $s->_in;
    return 1 if eof($fh);
    my $c = getc($fh);
    ungetc_compat($fh, $c);
    return $c eq "\n" || $c eq "\r" ? 1 : 0;
}
sub ungetc_compat { my ($fh, $c) = @_; $fh->ungetc(ord $c) if defined $c }
sub Line   { $_[0]{line} }
sub Column { 1 }

1;
