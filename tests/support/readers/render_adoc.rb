#!/usr/bin/ruby
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders many AsciiDoc documents to HTML in one process with Asciidoctor, as render_rst.py does with
# docutils: render_adoc.rb BATCH, each as soon as it is made. Includes are not read (the secure mode); warnings go nowhere.
require "asciidoctor"
require "logger"

logger = Logger.new(IO::NULL)
batch = File.binread(ARGV[0])
out = $stdout.binmode
at = 0
while at < batch.bytesize
  line_end = batch.index("\n", at)
  size = batch.byteslice(at, line_end - at).to_i
  text = batch.byteslice(line_end + 1, size).force_encoding("UTF-8").scrub
  at = line_end + 1 + size
  html = begin
    Asciidoctor::LoggerManager.logger = logger
    Asciidoctor.convert(text, safe: :secure, standalone: false)
  rescue StandardError => e
    "error: #{e.class}"
  end
  html = html.split.join(" ").b
  out.write("#{html.bytesize}\n", html)
  out.flush # the test tells a reader that stalls by its output
end
