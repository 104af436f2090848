-- Telvo's tables, version 1. telvo-log db-init runs this once, in one
-- transaction with the version it then records; the programs only read
-- schema_version and refuse a database without it or of a later version.

-- Which version of these files the database holds: one row.
CREATE TABLE schema_version (
  version integer NOT NULL
);

-- A workgroup, named as the programs are told to find it.
CREATE TABLE workgroup (
  id serial PRIMARY KEY,
  name text NOT NULL UNIQUE
);

-- The workgroup's people in the workgroup list's order. A name is matched
-- byte for byte as the workgroup list spells it, in the workstations' code
-- page, so it is kept as bytes; the computer is the host name notifications
-- go to ('' for none).
CREATE TABLE person (
  id serial PRIMARY KEY,
  workgroup_id integer NOT NULL REFERENCES workgroup (id) ON DELETE CASCADE,
  name bytea NOT NULL,
  computer text NOT NULL DEFAULT '',
  position integer NOT NULL,
  UNIQUE (workgroup_id, name)
);

-- Every person's calls (book 0) and archive (book 1). seq orders them as a
-- phone log's offsets do: a post, or a purge's move to the archive, takes a
-- new and higher one. The body is a phone log record's body byte for byte:
-- its first byte is the mark.
CREATE TABLE call (
  seq bigserial PRIMARY KEY,
  person_id integer NOT NULL REFERENCES person (id) ON DELETE CASCADE,
  book smallint NOT NULL CHECK (book IN (0, 1)),
  body bytea NOT NULL CHECK (length(body) BETWEEN 1 AND 32767)
);
-- A page of a person's calls, the newest, the oldest or one next to a
-- cursor, is one range of this index however many calls there are.
CREATE INDEX call_page ON call (person_id, book, seq);

-- A person's alert: the bytes the alert file would hold.
CREATE TABLE alert (
  person_id integer PRIMARY KEY REFERENCES person (id) ON DELETE CASCADE,
  body bytea NOT NULL
);

-- The lines exported from a person's calls, in order: the bytes EXPORT.TXT
-- would hold, one line (perhaps of several text lines) a row.
CREATE TABLE export_line (
  seq bigserial PRIMARY KEY,
  person_id integer NOT NULL REFERENCES person (id) ON DELETE CASCADE,
  line bytea NOT NULL
);
CREATE INDEX export_line_person ON export_line (person_id, seq);
