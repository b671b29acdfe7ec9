-- Who may do what with a journal of calibrations on a PostgreSQL server.
-- Run by its owner (the role that made its tables) in the journal's
-- database: `ze23-cli journal grant --records postgresql://OWNER@SERVER/BASE`
-- runs it, or `psql -d BASE -f journal-roles.sql`. Running it again changes
-- nothing. Roles are the server's, not one base's.
--
--   ze23_technician  a bench: reads, adds records and cylinders, never
--                    changes or removes anything
--   ze23_reader      reads only (an auditor, a report)
--   the owner        alone makes and brings the tables up to date
--
-- A person's login then takes one of them:
--   CREATE ROLE ivanova LOGIN IN ROLE ze23_technician;

DO $$ BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ze23_technician') THEN
    CREATE ROLE ze23_technician NOLOGIN;
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ze23_reader') THEN
    CREATE ROLE ze23_reader NOLOGIN;
  END IF;
END $$;

-- Each of the journal's tables already made: read by both, added to by a
-- bench where records and cylinders go; the records' numbers drawn by a bench.
DO $$
DECLARE
  t text;
  numbers text;
BEGIN
  FOREACH t IN ARRAY ARRAY['schema_version', 'this_bench', 'sent', 'records', 'versions',
                           'measurements', 'points', 'settings_after', 'gas_cylinders',
                           'cylinders'] LOOP
    IF to_regclass(t) IS NOT NULL THEN
      EXECUTE format('REVOKE ALL ON %I FROM PUBLIC, ze23_technician, ze23_reader', t);
      EXECUTE format('GRANT SELECT ON %I TO ze23_technician, ze23_reader', t);
    END IF;
  END LOOP;
  FOREACH t IN ARRAY ARRAY['records', 'versions', 'measurements', 'points', 'settings_after',
                           'gas_cylinders',
                           'cylinders'] LOOP
    IF to_regclass(t) IS NOT NULL THEN
      EXECUTE format('GRANT INSERT ON %I TO ze23_technician', t);
    END IF;
  END LOOP;
  IF to_regclass('records') IS NOT NULL THEN
    numbers := pg_get_serial_sequence('records', 'number');
    EXECUTE format('REVOKE ALL ON SEQUENCE %s FROM PUBLIC, ze23_technician, ze23_reader', numbers);
    EXECUTE format('GRANT USAGE ON SEQUENCE %s TO ze23_technician', numbers);
  END IF;
END $$;
