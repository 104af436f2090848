-- Telvo's tables, version 2: who may do what is decided by the database
-- itself, and what is done to calls is recorded where nobody can change it.
--
-- Each person logs in with a role of their own, which belongs to the group
-- role telvo_member. A member may do to the calls of their workgroup what a
-- member of a shared folder's workgroup may do to its files: deliver to
-- anyone in it, read, mark, forward, export and purge. Anyone else sees
-- nothing. The role that runs db-init owns the tables and is not bound by
-- the policies: it is the administrator's.

-- The role a person logs in with; null for a person without one yet, whom
-- only the administrator's role reaches.
ALTER TABLE person ADD COLUMN role name UNIQUE;

-- Roles belong to the whole cluster, so another database of the same
-- server may have made the group already.
DO $$
BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'telvo_member') THEN
    CREATE ROLE telvo_member NOLOGIN;
  END IF;
END
$$;

-- The workgroups and the people `member` may reach. They run as the owner
-- of the tables, so that person's own policy does not call itself, and with
-- the search path they were made with, so no caller can slip in a table of
-- the same name.
CREATE FUNCTION telvo_workgroups_of(member name) RETURNS SETOF integer
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path FROM CURRENT
  AS $$ SELECT workgroup_id FROM person WHERE role = member $$;

CREATE FUNCTION telvo_people_of(member name) RETURNS SETOF integer
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path FROM CURRENT
  AS $$
    SELECT id FROM person
    WHERE workgroup_id IN (SELECT workgroup_id FROM person WHERE role = member)
  $$;

REVOKE EXECUTE ON FUNCTION telvo_workgroups_of(name), telvo_people_of(name) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION telvo_workgroups_of(name), telvo_people_of(name) TO telvo_member;

-- What is done to calls: every mark, purge, forward and export, with the
-- role that did it and when, written in the same transaction. Members may
-- add rows as themselves and read their workgroup's, never change or
-- delete one.
CREATE TABLE audit (
  seq bigserial PRIMARY KEY,
  at timestamptz NOT NULL DEFAULT now(),
  role name NOT NULL DEFAULT current_user,
  -- Whose calls were acted on.
  person_id integer NOT NULL REFERENCES person (id) ON DELETE CASCADE,
  action text NOT NULL CHECK (action IN ('mark', 'purge', 'forward', 'export')),
  -- The call acted on; null for a purge.
  call_seq bigint,
  -- The mark set, the person a call was forwarded to, what a purge did.
  detail bytea NOT NULL DEFAULT ''
);
CREATE INDEX audit_person ON audit (person_id, seq);

ALTER TABLE workgroup ENABLE ROW LEVEL SECURITY;
CREATE POLICY member_reads ON workgroup FOR SELECT
  USING (id IN (SELECT telvo_workgroups_of(current_user)));

ALTER TABLE person ENABLE ROW LEVEL SECURITY;
CREATE POLICY member_reads ON person FOR SELECT
  USING (workgroup_id IN (SELECT telvo_workgroups_of(current_user)));

ALTER TABLE call ENABLE ROW LEVEL SECURITY;
CREATE POLICY member_works ON call
  USING (person_id IN (SELECT telvo_people_of(current_user)))
  WITH CHECK (person_id IN (SELECT telvo_people_of(current_user)));

ALTER TABLE alert ENABLE ROW LEVEL SECURITY;
CREATE POLICY member_works ON alert
  USING (person_id IN (SELECT telvo_people_of(current_user)))
  WITH CHECK (person_id IN (SELECT telvo_people_of(current_user)));

ALTER TABLE export_line ENABLE ROW LEVEL SECURITY;
CREATE POLICY member_works ON export_line
  USING (person_id IN (SELECT telvo_people_of(current_user)))
  WITH CHECK (person_id IN (SELECT telvo_people_of(current_user)));

ALTER TABLE audit ENABLE ROW LEVEL SECURITY;
CREATE POLICY member_reads ON audit FOR SELECT
  USING (person_id IN (SELECT telvo_people_of(current_user)));
CREATE POLICY member_appends ON audit FOR INSERT
  WITH CHECK (role = current_user AND at = now()
              AND person_id IN (SELECT telvo_people_of(current_user)));

-- A member may set the mark of any call of the workgroup, as on a shared
-- folder, but change the rest of a body only in their own calls (a purge
-- rewrites the bodies of calls it archives). Only the body may be updated
-- at all: a call cannot be moved to another person or book.
CREATE FUNCTION telvo_guard_call_body() RETURNS trigger
  LANGUAGE plpgsql SET search_path FROM CURRENT
  AS $$
DECLARE
  me integer;
BEGIN
  IF substring(NEW.body FROM 2) IS DISTINCT FROM substring(OLD.body FROM 2) THEN
    SELECT id INTO me FROM person WHERE role = current_user;
    IF me IS NOT NULL AND me <> OLD.person_id THEN
      RAISE EXCEPTION 'Only the mark of another person''s call may be changed.'
        USING ERRCODE = 'insufficient_privilege';
    END IF;
  END IF;
  RETURN NEW;
END
$$;
CREATE TRIGGER call_body_guard BEFORE UPDATE OF body ON call
  FOR EACH ROW EXECUTE FUNCTION telvo_guard_call_body();

DO $$
BEGIN
  EXECUTE format('GRANT USAGE ON SCHEMA %I TO telvo_member', current_schema());
END
$$;
GRANT SELECT ON schema_version, workgroup, person TO telvo_member;
GRANT SELECT, INSERT, DELETE ON call TO telvo_member;
GRANT UPDATE (body) ON call TO telvo_member;
GRANT SELECT, INSERT, UPDATE, DELETE ON alert TO telvo_member;
GRANT SELECT, INSERT ON export_line, audit TO telvo_member;
GRANT USAGE ON SEQUENCE call_seq_seq, export_line_seq_seq, audit_seq_seq TO telvo_member;
