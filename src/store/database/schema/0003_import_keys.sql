-- Telvo's tables, version 3: the calls telvo-log import brought in from a
-- shared folder, so that running it again adds each call once. A call is
-- known by the file it came from (the path as the workgroup list names it),
-- its position there and the digest of its body without the mark, so two
-- calls that are legitimately alike are two calls, and a mark set since
-- leaves a call the same one.
CREATE TABLE import_key (
  person_id integer NOT NULL REFERENCES person (id) ON DELETE CASCADE,
  source bytea NOT NULL,
  position bigint NOT NULL,
  digest text NOT NULL,
  PRIMARY KEY (person_id, source, position, digest)
);
-- The administrator's alone: no member has any right on it, and no policy
-- lets a row through.
ALTER TABLE import_key ENABLE ROW LEVEL SECURITY;
